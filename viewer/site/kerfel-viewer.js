// Shows one published image: reads the job's values embedded in the page
// (the descriptor's, and its layout's level sizes, tile size and tile path),
// opens its tiles (files beside the page, or entries of the job's archive,
// read by range) and adds the controls the job asks for.
(function () {
  'use strict';

  var PAN_FRACTION = 0.25;  // of the visible width or height, per press of a pan button
  var ZOOM_STEP = 2;        // per press of a zoom button
  var SLIDER_STEPS = 1000;

  var ICONS = {
    up: 'M12 6l7 9H5z',
    down: 'M12 18l-7-9h14z',
    left: 'M6 12l9-7v14z',
    right: 'M18 12l-9 7V5z',
    zoomIn: 'M10.5 5h3v5.5H19v3h-5.5V19h-3v-5.5H5v-3h5.5z',
    zoomOut: 'M5 10.5h14v3H5z',
    sound: 'M4 9h4l5-4v14l-5-4H4zM15.5 8.5a5 5 0 0 1 0 7l-1.4-1.4a3 3 0 0 0 0-4.2zM18 6a8.5 8.5 0 0 1 0 12l-1.4-1.4a6.5 6.5 0 0 0 0-9.2z',
    muted: 'M4 9h4l5-4v14l-5-4H4zM15 9.4l1.4-1.4 2.1 2.1 2.1-2.1 1.4 1.4-2.1 2.1 2.1 2.1-1.4 1.4-2.1-2.1-2.1 2.1-1.4-1.4 2.1-2.1z'
  };

  function clamp(value, low, high) {
    return Math.min(Math.max(value, low), high);
  }

  // Where a tile lies along one side of its level: the tile size, with the
  // layout's overlap on inner edges, clamped to the level.
  function tileSpan(job, side, index) {
    var start = index * job.tileSize;
    var from = index > 0 ? Math.max(0, start - job.overlap) : 0;
    return { start: from, size: Math.min(side, start + job.tileSize + job.overlap) - from };
  }

  // The tile's path as the tool wrote it: the layout's pattern with the same
  // fields filled in.
  function tilePath(job, levels, level, column, row) {
    var size = levels[level];
    var across = tileSpan(job, size.width, column);
    var down = tileSpan(job, size.height, row);
    var scale = Math.pow(2, levels.length - 1 - level);  // full-size pixels per pixel of the level
    var x = across.start * scale;
    var y = down.start * scale;
    var fields = {
      level: level, column: column, row: row, name: job.name,
      x: x, y: y, w: Math.min(across.size * scale, job.Width - x), h: Math.min(down.size * scale, job.Height - y),
      tw: across.size, th: down.size
    };
    return job.tilePath.replace(/\{(\w+)\}/g, function (field, key) {
      return Object.prototype.hasOwnProperty.call(fields, key) ? String(fields[key]) : field;
    });
  }

  // A path as a relative URL: each part escaped but for the marks a path
  // may hold as they are (a region's commas among them).
  function urlOf(path) {
    return path.split('/').map(function (part) {
      return encodeURIComponent(part).replace(/%(24|26|2B|2C|3B|3D|40)/g, decodeURIComponent);
    }).join('/');
  }

  // A job in an archive keeps its files below its name there.
  function entryName(job, path) {
    return job.name + '/' + path;
  }

  // Tiles read out of the job's archive: a tile's "URL" is its entry's name.
  function archiveLoading(archive) {
    return {
      downloadTileStart: function (context) {
        var controller = new AbortController();
        context.userData.controller = controller;
        archive.read(context.src, controller.signal).then(function (blob) {
          context.finish(blob, null, 'rasterBlob');
        }, function (error) {
          context.fail(error.message, null);
        });
      },
      downloadTileAbort: function (context) {
        if (context.userData.controller) context.userData.controller.abort();
      }
    };
  }

  // The library derives every level from the source size halved exactly,
  // which a layout may round otherwise: every count and rectangle comes from
  // the job's own level sizes, and each level's picture spans the whole image
  // however its size was rounded.
  function tileSource(job, archive) {
    var levels = job.levels.map(function (l) { return { width: l[0], height: l[1] }; });
    var aspect = job.Height / job.Width;  // image coordinates run 0..1 across, 0..aspect down
    function columns(level) { return Math.max(1, Math.ceil(levels[level].width / job.tileSize)); }
    function rows(level) { return Math.max(1, Math.ceil(levels[level].height / job.tileSize)); }

    var source = new OpenSeadragon.TileSource({
      width: job.Width,
      height: job.Height,
      tileSize: job.tileSize,
      tileOverlap: job.overlap,
      minLevel: 0,
      maxLevel: levels.length - 1,
      getTileUrl: function (level, x, y) {
        var path = tilePath(job, levels, level, x, y);
        return archive ? entryName(job, path) : urlOf(path);
      },
      getNumTiles: function (level) {
        return new OpenSeadragon.Point(columns(level), rows(level));
      },
      getTileBounds: function (level, x, y, isSource) {
        var size = levels[level];
        var across = tileSpan(job, size.width, x);
        var down = tileSpan(job, size.height, y);
        if (isSource) return new OpenSeadragon.Rect(0, 0, across.size, down.size);
        return new OpenSeadragon.Rect(across.start / size.width, down.start / size.height * aspect,
                                      across.size / size.width, down.size / size.height * aspect);
      },
      getTileAtPoint: function (level, point) {
        var size = levels[level];
        var x = Math.floor(point.x * size.width / job.tileSize);
        var y = Math.floor(point.y / aspect * size.height / job.tileSize);
        return new OpenSeadragon.Point(clamp(x, 0, columns(level) - 1), clamp(y, 0, rows(level) - 1));
      }
    });
    return archive ? OpenSeadragon.extend(source, archiveLoading(archive)) : source;
  }

  function createViewer(job, element, archive) {
    var clickToZoom = Boolean(job.clicktoLorvak);
    return OpenSeadragon({
      element: element,
      prefixUrl: 'viewer/images/',
      tileSources: tileSource(job, archive),
      // The WebGL drawer cannot use pictures read from file:// and leaves the navigator blank.
      drawer: 'canvas',
      // Without it WebKit draws one-pixel seams between neighbouring tiles.
      subPixelRoundingForTransparency: OpenSeadragon.SUBPIXEL_ROUNDING_OCCURRENCES.ALWAYS,
      showNavigationControl: false,
      showNavigator: Boolean(job.showNav),
      navigatorPosition: 'TOP_RIGHT',
      navigatorSizeRatio: 0.22,
      navigatorAutoFade: false,
      navigatorBackground: '#666666',
      navigatorOpacity: 1,
      visibilityRatio: 1,
      constrainDuringPan: true,
      minZoomImageRatio: 1,
      maxZoomPixelRatio: 1,  // down to the source's own pixels, no further
      zoomPerClick: ZOOM_STEP,
      gestureSettingsMouse: { clickToZoom: clickToZoom },
      gestureSettingsPen: { clickToZoom: clickToZoom }
    });
  }

  function icon(name) {
    return '<svg viewBox="0 0 24 24" aria-hidden="true" focusable="false"><path d="' + ICONS[name] + '"/></svg>';
  }

  function button(id, label, iconName, onPress) {
    var b = document.createElement('button');
    b.type = 'button';
    b.id = id;
    b.className = 'kv-button';
    b.title = label;
    b.setAttribute('aria-label', label);
    b.innerHTML = icon(iconName);
    b.addEventListener('click', onPress);
    return b;
  }

  function panel(id) {
    var p = document.createElement('div');
    p.id = id;
    p.className = 'kv-panel';
    return p;
  }

  function panButtons(viewer) {
    function pan(dx, dy) {
      var bounds = viewer.viewport.getBounds();
      viewer.viewport.panBy(new OpenSeadragon.Point(dx * bounds.width * PAN_FRACTION,
                                                    dy * bounds.height * PAN_FRACTION));
      viewer.viewport.applyConstraints();
    }
    var pad = panel('kv-pan');
    pad.appendChild(button('kv-pan-up', 'Pan up', 'up', function () { pan(0, -1); }));
    pad.appendChild(button('kv-pan-left', 'Pan left', 'left', function () { pan(-1, 0); }));
    pad.appendChild(button('kv-pan-right', 'Pan right', 'right', function () { pan(1, 0); }));
    pad.appendChild(button('kv-pan-down', 'Pan down', 'down', function () { pan(0, 1); }));
    return pad;
  }

  // The slider runs evenly over the logarithm of the zoom, so each step of
  // the thumb magnifies by the same factor.
  function zoomSlider(viewer) {
    var viewport = viewer.viewport;
    var slider = document.createElement('input');
    slider.type = 'range';
    slider.id = 'kv-zoom-slider';
    slider.min = '0';
    slider.max = String(SLIDER_STEPS);
    slider.step = '1';
    slider.value = '0';
    slider.title = 'Zoom';
    slider.setAttribute('aria-label', 'Zoom');

    function span() { return viewport.getMaxZoom() / viewport.getMinZoom(); }
    function zoomAt(position) {
      return viewport.getMinZoom() * Math.pow(span(), position / SLIDER_STEPS);
    }
    function positionOf(zoom) {
      if (!(span() > 1)) return 0;
      return clamp(Math.round(Math.log(zoom / viewport.getMinZoom()) / Math.log(span()) * SLIDER_STEPS),
                   0, SLIDER_STEPS);
    }
    function follow(zoom) { slider.value = String(positionOf(zoom)); }
    function zoomBy(factor) {
      viewport.zoomBy(factor);
      viewport.applyConstraints();
    }

    slider.addEventListener('input', function () {
      viewport.zoomTo(zoomAt(Number(slider.value)));
      viewport.applyConstraints();
    });
    viewer.addHandler('zoom', function (event) { follow(event.zoom); });
    viewer.addHandler('open', function () { follow(viewport.getZoom()); });
    viewer.addHandler('resize', function () { follow(viewport.getZoom()); });

    var bar = panel('kv-zoom');
    bar.appendChild(button('kv-zoom-out', 'Zoom out', 'zoomOut', function () { zoomBy(1 / ZOOM_STEP); }));
    bar.appendChild(slider);
    bar.appendChild(button('kv-zoom-in', 'Zoom in', 'zoomIn', function () { zoomBy(ZOOM_STEP); }));
    return bar;
  }

  // Browsers refuse to start sound before the visitor has touched the page,
  // so the music starts with the first press of a key, button or finger.
  function music(job, archive) {
    var audio = document.createElement('audio');
    audio.id = 'kv-music';
    if (!archive) audio.src = job.soundURL;
    else archive.read(entryName(job, job.soundURL)).then(function (blob) { audio.src = URL.createObjectURL(blob); });
    audio.loop = true;
    audio.preload = 'auto';
    document.body.appendChild(audio);

    var triggers = ['pointerdown', 'keydown', 'touchend'];
    function listen(on) {
      triggers.forEach(function (name) {
        (on ? document.addEventListener : document.removeEventListener).call(document, name, play, true);
      });
    }
    function play() {
      var playing = audio.play();
      // An older browser returns nothing; a refusal waits for the next interaction.
      if (playing && playing.then) playing.then(function () { listen(false); }, function () {});
      else listen(false);
    }
    listen(true);

    var mute = button('kv-mute', 'Mute music', 'sound', function () {
      audio.muted = !audio.muted;
      mute.innerHTML = icon(audio.muted ? 'muted' : 'sound');
      mute.setAttribute('aria-pressed', String(audio.muted));
    });
    mute.setAttribute('aria-pressed', 'false');
    var box = panel('kv-sound');
    box.appendChild(mute);
    return { audio: audio, controls: box };
  }

  // The view size, shrunk with the same proportions where the window is
  // smaller, centred on whole pixels: WebKit blurs a canvas that sits half a
  // pixel off.
  function placeFrame(frame, viewWidth, viewHeight) {
    var scale = Math.min(1, window.innerWidth / viewWidth, window.innerHeight / viewHeight);
    var width = Math.max(1, Math.floor(viewWidth * scale));
    var height = Math.max(1, Math.floor(viewHeight * scale));
    frame.style.width = width + 'px';
    frame.style.height = height + 'px';
    frame.style.left = Math.max(0, Math.floor((window.innerWidth - width) / 2)) + 'px';
    frame.style.top = Math.max(0, Math.floor((window.innerHeight - height) / 2)) + 'px';
  }

  // Said on the page where the picture would be.
  function say(frame, text) {
    var message = document.createElement('p');
    message.id = 'kv-message';
    message.setAttribute('role', 'alert');
    message.textContent = text;
    frame.appendChild(message);
  }

  function show(job, frame, archive) {
    var viewer = createViewer(job, document.getElementById('kv-osd'), archive);
    if (job.showpanButtons) frame.appendChild(panButtons(viewer));
    if (job.showSlider) frame.appendChild(zoomSlider(viewer));
    var sound = job.soundURL ? music(job, archive) : null;
    if (sound) frame.appendChild(sound.controls);
    window.KerfelViewer = { viewer: viewer, audio: sound && sound.audio, tileSource: tileSource, archive: archive };
  }

  // A job in an archive is read in parts over HTTP, which a page opened
  // from disk cannot do.
  function showFromArchive(job, frame) {
    if (window.location.protocol === 'file:') {
      say(frame, 'This picture is kept in one file, ' + job.archive + ', which this page reads in parts over ' +
          'HTTP. A browser cannot read parts of a file opened from disk: put this folder on a web server that ' +
          'honours range requests (most static hosts do) and open the page from there.');
      return;
    }
    // Beside the page by default; an address of its own (on another host) as it is.
    var url = /^([a-z][a-z0-9+.-]*:|\/)/i.test(job.archive) ? job.archive : urlOf(job.archive);
    window.KerfelArchive.open(url).then(function (archive) {
      show(job, frame, archive);
    }, function (error) {
      say(frame, 'The picture cannot be shown: ' + error.message);
    });
  }

  function start() {
    var job = JSON.parse(document.getElementById('kv-job').textContent);
    var frame = document.getElementById('kv-frame');
    var viewWidth = job.viewWidth || job.Width;
    var viewHeight = job.viewHeight || job.Height;
    placeFrame(frame, viewWidth, viewHeight);
    window.addEventListener('resize', function () { placeFrame(frame, viewWidth, viewHeight); });
    if (job.archive) showFromArchive(job, frame);
    else show(job, frame, null);
  }

  start();
}());
