#pragma once
// The file choosers of Open Bmp, Save Bmp and the satellite-file commands: Qt's own file
// dialog, with the bitmap format panel beside it when a save offers one.

#include <QWidget>
#include <optional>

#include "platform/platform.h"

namespace kestrel::gui {

enum class ChooserMode { Open, Save };

// None when the user cancelled.
std::optional<FileChoice> RunFileChooser(QWidget& owner, const FileChooserRequest& request, ChooserMode mode);

}  // namespace kestrel::gui
