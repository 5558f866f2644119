#include "gui/file_chooser.h"

#include <QButtonGroup>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>
#include <utility>

#include "shell/bitmap_commands.h"

namespace kestrel::gui {
namespace {

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

QString StartPath(const FileChooserRequest& request) {
  const QString directory = QFile::decodeName(request.directory.c_str());
  if (request.suggestedName.empty()) return directory;
  const QString name = QFile::decodeName(request.suggestedName.c_str());
  return directory.isEmpty() ? name : directory + QLatin1Char('/') + name;
}

QStringList NameFilters(const FileChooserRequest& request) {
  QStringList filters;
  for (const FileFilter& filter : request.filters) {
    QStringList typed, patterns;
    for (const std::string& pattern : filter.patterns) typed << FromUtf8(pattern);
    // Qt matches names by the file system's case; the program's patterns match either case.
    for (const QString& pattern : typed) patterns << pattern << pattern.toLower();
    patterns.removeDuplicates();
    // A filter described by its own patterns is shown once.
    const QString description = FromUtf8(filter.description);
    filters << (description == typed.join(QLatin1Char(';'))
                    ? patterns.join(QLatin1Char(' '))
                    : description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
  }
  return filters;
}

// The bit depths and compressions of a bitmap, one radio button each, as a format word.
class FormatPanel : public QWidget {
 public:
  explicit FormatPanel(uint16_t word) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const std::array<std::pair<const char*, uint16_t>, 4> depths = {
        {{"1 bpp", kFormat1Bpp}, {"4 bpp", kFormat4Bpp}, {"8 bpp", kFormat8Bpp}, {"24 bpp", kFormat24Bpp}}};
    const std::array<std::pair<const char*, uint16_t>, 3> compressions = {
        {{"RLE 4", kFormatRle4}, {"RLE 8", kFormatRle8}, {"RGB", kFormatRgb}}};
    layout->addWidget(Group("Bits per Pixel", depths_, depths, word));
    layout->addWidget(Group("Compression", compressions_, compressions, word));
    layout->addStretch();
    if (const int compression = compressions_.checkedId(); compression > 0) Allow(static_cast<uint16_t>(compression));
    connect(&compressions_, &QButtonGroup::idClicked, this, [this](int bit) {
      const uint16_t next = ClickCompression(Word(), static_cast<uint16_t>(bit));
      Allow(static_cast<uint16_t>(bit));
      if (QAbstractButton* depth = depths_.button(next & ~static_cast<uint16_t>(bit))) depth->setChecked(true);
    });
  }

  uint16_t Word() const {
    return static_cast<uint16_t>(std::max(depths_.checkedId(), 0) | std::max(compressions_.checkedId(), 0));
  }

 private:
  template <size_t N>
  QGroupBox* Group(const char* title, QButtonGroup& group,
                   const std::array<std::pair<const char*, uint16_t>, N>& buttons, uint16_t word) {
    auto* box = new QGroupBox(QString::fromLatin1(title));
    auto* column = new QVBoxLayout(box);
    for (const auto& [text, bit] : buttons) {
      auto* radio = new QRadioButton(QString::fromLatin1(text));
      radio->setChecked((word & bit) != 0);
      group.addButton(radio, bit);
      column->addWidget(radio);
    }
    return box;
  }

  // Greys the depths that the compression does not allow.
  void Allow(uint16_t compressionBit) {
    const uint16_t allowed = AllowedDepths(compressionBit);
    for (QAbstractButton* depth : depths_.buttons()) depth->setEnabled((allowed & depths_.id(depth)) != 0);
  }

  QButtonGroup depths_;
  QButtonGroup compressions_;
};

}  // namespace

std::optional<FileChoice> RunFileChooser(QWidget& owner, const FileChooserRequest& request, ChooserMode mode) {
  QFileDialog dialog(&owner, FromUtf8(request.title), StartPath(request));
  dialog.setOption(QFileDialog::DontUseNativeDialog);  // the format panel goes inside it
  dialog.setNameFilters(NameFilters(request));
  dialog.setAcceptMode(mode == ChooserMode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(mode == ChooserMode::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  FormatPanel* panel = nullptr;
  if (request.formatWord) {
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
      panel = new FormatPanel(*request.formatWord);
      panel->setVisible(false);
      auto* unfold = new QPushButton(QStringLiteral("Format>>"));
      unfold->setCheckable(true);
      QObject::connect(unfold, &QPushButton::toggled, &dialog, [&dialog, panel](bool open) {
        const int width = panel->sizeHint().width() + dialog.layout()->spacing();
        panel->setVisible(open);
        dialog.resize(dialog.width() + (open ? width : -width), dialog.height());
      });
      grid->addWidget(unfold, grid->rowCount(), 0);
      grid->addWidget(panel, 0, grid->columnCount(), grid->rowCount(), 1);
    }
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const uint16_t word = panel ? panel->Word() : request.formatWord.value_or(0);
  return FileChoice{QFile::encodeName(dialog.selectedFiles().first()).toStdString(), word};
}

}  // namespace kestrel::gui
