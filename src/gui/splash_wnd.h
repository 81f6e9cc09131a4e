#pragma once
// The picture shown for three seconds when the program starts interactively.
// `CSplash` holds what the program knows about splashes (whether one may be
// shown, and the one shown now); `CSplashWnd` is the borderless window.

#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <QtGui/QPixmap>
#include <QtWidgets/QWidget>

namespace cw {

inline constexpr int kSplashMilliseconds = 3000;
inline constexpr const char* kSplashPicture = ":/camwright/splash.png";

class CSplash;

class CSplashWnd : public QWidget {
  Q_OBJECT

 public:
  CSplashWnd(CSplash& owner, const QPixmap& picture, QWidget* parent);

  const QTimer& Timer() const { return timer_; }
  // What the three-second timer does when it fires; tests call it rather
  // than wait.
  void OnTimer();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CSplash& owner_;
  QPixmap picture_;
  QTimer timer_;
};

class CSplash {
 public:
  explicit CSplash(QString picturePath = QString::fromLatin1(kSplashPicture)) : picturePath_(std::move(picturePath)) {}

  void EnableSplash(bool enabled) { enabled_ = enabled; }
  // Shows the splash, centred on the screen, over `parent`: only when enabled,
  // never twice at once, and not at all when the picture cannot be loaded.
  void ShowSplash(QWidget* parent);
  // Takes the splash away, if one is shown, and repaints the window below.
  void HideSplash();
  CSplashWnd* Current() const { return current_; }

 private:
  QString picturePath_;
  bool enabled_ = false;
  QPointer<CSplashWnd> current_;
};

}  // namespace cw
