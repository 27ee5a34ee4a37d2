// Reads the files of a job kept in one archive (NAME.szi: a ZIP whose
// entries are stored, not compressed) over HTTP in parts: the end of the
// archive once, its central directory once, then each entry's own bytes, so
// that a view fetches its tiles and little else. Needs a host that honours
// range requests.
(function () {
  'use strict';

  var END = 0x06054b50;
  var ZIP64_LOCATOR = 0x07064b50;
  var ZIP64_END = 0x06064b50;
  var CENTRAL = 0x02014b50;
  var LOCAL = 0x04034b50;
  var ZIP64_EXTRA = 0x0001;
  var ALL_ONES = 0xffffffff;
  // The end record, the ZIP64 record and locator before it, and room for a
  // short archive comment.
  var TAIL_BYTES = 22 + 20 + 56 + 1024;

  function failure(url, why) {
    return new Error(decodeURIComponent(url) + ': ' + why);
  }

  // One range of the archive's bytes. A host that answers with the whole
  // file cannot serve the archive: it is not read to its end.
  function fetchRange(url, range, signal) {
    return fetch(url, { headers: { Range: 'bytes=' + range }, signal: signal }).then(function (response) {
      if (response.status === 206) return response.arrayBuffer();
      if (response.body) response.body.cancel();
      if (response.status === 200) throw failure(url, 'the host sent the whole file where part of it was asked for: it does not serve range requests');
      throw failure(url, 'HTTP ' + response.status + ' ' + response.statusText);
    });
  }

  function uint64(view, at) {
    return Number(view.getBigUint64(at, true));
  }

  // Where the central directory lies and how many entries it holds, from
  // the archive's last bytes.
  function directoryPlace(url, tail) {
    var view = new DataView(tail);
    var end = view.byteLength - 22;
    while (end >= 0 && view.getUint32(end, true) !== END) end--;
    if (end < 0) throw failure(url, 'no end of a ZIP archive: not one, or cut short');
    var place = { count: view.getUint16(end + 10, true), size: view.getUint32(end + 12, true),
                  offset: view.getUint32(end + 16, true) };
    var locator = end - 20;
    if (locator >= 0 && view.getUint32(locator, true) === ZIP64_LOCATOR) {
      var record = locator - 56;
      if (record < 0 || view.getUint32(record, true) !== ZIP64_END) throw failure(url, 'its ZIP64 end record is missing');
      place = { count: uint64(view, record + 32), size: uint64(view, record + 40), offset: uint64(view, record + 48) };
    }
    return place;
  }

  // A central directory record's sizes and offset, taking the ZIP64 extra
  // field's values for those that did not fit in 32 bits.
  function entryAt(view, at, fields) {
    var extra = at + 46 + view.getUint16(at + 28, true);
    var extraEnd = extra + view.getUint16(at + 30, true);
    for (; extra + 4 <= extraEnd; extra += 4 + view.getUint16(extra + 2, true)) {
      if (view.getUint16(extra, true) !== ZIP64_EXTRA) continue;
      var p = extra + 4;
      ['size', 'stored', 'offset'].forEach(function (name) {
        if (fields[name] === ALL_ONES) {
          fields[name] = uint64(view, p);
          p += 8;
        }
      });
    }
    return extraEnd + view.getUint16(at + 32, true);
  }

  function readDirectory(url, buffer, place) {
    var view = new DataView(buffer);
    var names = new TextDecoder('utf-8');
    var entries = new Map();
    var starts = [place.offset];
    for (var at = 0, i = 0; i < place.count; i++) {
      if (at + 46 > view.byteLength || view.getUint32(at, true) !== CENTRAL) throw failure(url, 'its central directory is damaged');
      var entry = { method: view.getUint16(at + 10, true), size: view.getUint32(at + 24, true),
                    stored: view.getUint32(at + 20, true), offset: view.getUint32(at + 42, true) };
      var name = names.decode(new Uint8Array(buffer, at + 46, view.getUint16(at + 28, true)));
      at = entryAt(view, at, entry);
      entries.set(name, entry);
      starts.push(entry.offset);
    }
    // An entry's header, name and bytes run up to where the next entry (or
    // the directory) begins: one request reads them all.
    starts.sort(function (a, b) { return a - b; });
    entries.forEach(function (entry) {
      var low = 0;
      var high = starts.length - 1;
      while (low < high) {
        var middle = (low + high) >> 1;
        if (starts[middle] <= entry.offset) low = middle + 1;
        else high = middle;
      }
      entry.end = starts[low] > entry.offset ? starts[low] : place.offset;
    });
    return entries;
  }

  function Archive(url, entries) {
    this.url = url;
    this.entries = entries;
  }

  // The bytes of the entry `name` as a Blob.
  Archive.prototype.read = function (name, signal) {
    var url = this.url;
    var entry = this.entries.get(name);
    if (!entry) return Promise.reject(failure(url, 'holds no ' + name));
    if (entry.method !== 0) return Promise.reject(failure(url, name + ' is compressed: only stored entries can be read in parts'));
    return fetchRange(url, entry.offset + '-' + (entry.end - 1), signal).then(function (buffer) {
      var view = new DataView(buffer);
      if (buffer.byteLength < 30 || view.getUint32(0, true) !== LOCAL) throw failure(url, 'the header of ' + name + ' is damaged');
      var start = 30 + view.getUint16(26, true) + view.getUint16(28, true);
      if (start + entry.stored > buffer.byteLength) throw failure(url, name + ' is cut short');
      return new Blob([new Uint8Array(buffer, start, entry.stored)]);
    });
  };

  // Reads the archive's end and central directory.
  function open(url) {
    return fetchRange(url, '-' + TAIL_BYTES).then(function (tail) {
      var place = directoryPlace(url, tail);
      if (place.size === 0) return new Archive(url, new Map());
      return fetchRange(url, place.offset + '-' + (place.offset + place.size - 1)).then(function (directory) {
        return new Archive(url, readDirectory(url, directory, place));
      });
    });
  }

  window.KerfelArchive = { open: open };
}());
