// The file chooser of profile export and import: "pfd(*.pfd)" files, default
// suffix "pfd", opening in the data folder. Tests answer it through a
// "next file name" hook instead of a window.
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace vantix {

enum class ProfileFileMode { kSave, kOpen };

// The chosen full path, or nothing when the user cancelled.
std::optional<QString> AskProfileFile(ProfileFileMode mode, const QString& folder);

// The next AskProfileFile returns this at once without a window; an empty
// name stands for Cancel. Cleared by use.
void SetNextProfileFileName(std::optional<QString> name);

}  // namespace vantix
