#include "about_dlg.h"

#include <QtWidgets/QGridLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>

namespace cw {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Camwright"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("icon"));
  const int side = 2 * fontMetrics().height();
  icon->setPixmap(QIcon(QStringLiteral(":/camwright/icon.png")).pixmap(side, side));
  // A label with no buddy shows '&' as typed.
  auto* version = new QLabel(QString::fromLatin1(kVersionText), this);
  version->setObjectName(QStringLiteral("version"));
  version->setTextFormat(Qt::PlainText);
  auto* about = new QLabel(QString::fromLatin1(kAboutLine), this);
  about->setObjectName(QStringLiteral("about"));
  about->setTextFormat(Qt::PlainText);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(version, 0, 1);
  grid->addWidget(about, 1, 1);
  grid->addWidget(ok, 0, 2, Qt::AlignTop);
  grid->setHorizontalSpacing(2 * grid->spacing());
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace cw
