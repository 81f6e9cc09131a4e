#include "splash_wnd.h"

#include <QtGui/QGuiApplication>
#include <QtGui/QPainter>
#include <QtGui/QScreen>

namespace cw {

CSplashWnd::CSplashWnd(CSplash& owner, const QPixmap& picture, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      owner_(owner),
      picture_(picture) {
  setObjectName(QStringLiteral("splash"));
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_ShowWithoutActivating);  // the dialog below keeps the keyboard
  setCursor(Qt::ArrowCursor);
  setFixedSize(picture_.deviceIndependentSize().toSize());
  QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) move(screen->geometry().center() - rect().center());
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &CSplashWnd::OnTimer);
  timer_.start(kSplashMilliseconds);
}

void CSplashWnd::OnTimer() { owner_.HideSplash(); }

void CSplashWnd::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, picture_);
}

void CSplash::ShowSplash(QWidget* parent) {
  if (!enabled_ || current_ != nullptr) return;
  const QPixmap picture(picturePath_);
  if (picture.isNull()) return;  // the program goes on without a splash
  current_ = new CSplashWnd(*this, picture, parent);
  current_->show();
  current_->repaint();
}

void CSplash::HideSplash() {
  if (current_ == nullptr) return;
  QWidget* below = current_->parentWidget();
  // Gone at once for the user; the object itself goes when control is back
  // in the event loop, since this may run inside its own timer's signal.
  current_->close();
  current_ = nullptr;
  if (below != nullptr && below->isVisible()) below->repaint();
}

}  // namespace cw
