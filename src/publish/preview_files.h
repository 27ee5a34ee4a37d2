#pragma once
// The files of one preview: a private folder under the temporary folder
// holding "Lorvak.html", and what the browser shows when the job has no
// browser viewer.
#include <string>

#include "engine/descriptor.h"
#include "base/status.h"

namespace kerfel {

constexpr const char* kPreviewPageName = "Lorvak.html";

// A new folder only this user can enter ($TMPDIR or /tmp, name "LIK" and
// random characters): a guessable name in a shared folder could be taken
// over by another user first. On failure `folder` is the name asked for and
// the message the system's reason.
Status MakePreviewFolder(std::string& folder);

// Removes the page and then its folder; the folder stays when anything else
// is left in it.
void RemovePreviewPage(const std::string& pagePath);

// A page listing the descriptor's values, for a job without "index.html".
std::string DescriptorSummaryHtml(const DescriptorValues& values, const std::string& title);

}  // namespace kerfel
