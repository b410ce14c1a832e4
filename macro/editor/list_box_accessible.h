// What screen readers learn of the macro editor's lists: a list whose rows
// are its children, each read by its text (with press or release for key
// rows) and whether it is the selected one.
#pragma once

namespace vantix {

// Install once per application, before the first list is shown.
void InstallListBoxAccessibility();

}  // namespace vantix
