#include "gui/help_windows.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kestrel::gui {

void RunAboutDialog(QWidget& owner) {
  QDialog about(&owner);
  about.setWindowTitle(QStringLiteral("Kestrel"));
  auto* layout = new QVBoxLayout(&about);
  auto* picture = new QLabel;
  picture->setPixmap(QIcon(QStringLiteral(":/kestrel.png")).pixmap(96, 96));
  picture->setAlignment(Qt::AlignCenter);
  picture->setAccessibleName(QStringLiteral("Kestrel"));
  layout->addWidget(picture);
  auto* version = new QLabel(QStringLiteral("Kestrel version " KESTREL_VERSION));
  version->setAlignment(Qt::AlignCenter);
  layout->addWidget(version);
  auto* credit = new QLabel(QStringLiteral(
      "Place names: <a href=\"https://www.geonames.org/\">GeoNames</a> (geonames.org), CC BY 4.0<br>"
      "Map: <a href=\"https://www.naturalearthdata.com/\">Natural Earth</a>, public domain"));
  credit->setAlignment(Qt::AlignCenter);
  credit->setOpenExternalLinks(true);
  layout->addWidget(credit);
  auto* ok = new QPushButton(QStringLiteral("Ok"));
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &about, &QDialog::accept);
  layout->addWidget(ok, 0, Qt::AlignHCenter);
  about.exec();
}

QDialog* NewHelpWindow(QWidget& owner) {
  auto* help = new QDialog(&owner);
  help->setWindowTitle(QStringLiteral("Kestrel Help"));
  help->setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(help);
  auto* page = new QTextBrowser;
  page->setOpenExternalLinks(true);
  page->setSource(QUrl(QStringLiteral("qrc:/help.html")));
  layout->addWidget(page);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  QObject::connect(buttons, &QDialogButtonBox::rejected, help, &QDialog::close);
  layout->addWidget(buttons);
  help->resize(640, 560);
  return help;
}

}  // namespace kestrel::gui
