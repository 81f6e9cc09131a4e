// Draws the program's icon and splash picture. Run once (target camwright_artwork) to (re)make
// src/gui/resources/{icon.png,splash.png}, and with a second directory the
// desktop's icons packaging/icons/camwright-{48,128,256}.png; the pictures are
// committed so that the build needs no drawing step.
//
//   make_artwork OUTPUT_DIRECTORY [DESKTOP_ICON_DIRECTORY]
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QLinearGradient>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtGui/QRadialGradient>
#include <cstdio>

namespace {

// A film camera seen from the side: two reels over a box with a lens, drawn
// in a square of `size` pixels.
void DrawCamera(QPainter& painter, const QRectF& square) {
  const qreal s = square.width();
  const QPointF o = square.topLeft();
  auto at = [&](qreal x, qreal y) { return o + QPointF(x * s, y * s); };
  const QColor body(0xb8, 0x5c, 0x1c);
  const QColor dark(0x3a, 0x22, 0x10);
  const QColor metal(0xe8, 0xc0, 0x70);

  painter.setPen(QPen(dark, s * 0.035));
  for (const QPointF centre : {at(0.30, 0.28), at(0.62, 0.26)}) {
    const qreal r = (centre.x() < at(0.5, 0).x() ? 0.17 : 0.15) * s;
    QRadialGradient gradient(centre, r);
    gradient.setColorAt(0, metal);
    gradient.setColorAt(1, body);
    painter.setBrush(gradient);
    painter.drawEllipse(centre, r, r);
    painter.setBrush(dark);
    painter.drawEllipse(centre, r * 0.25, r * 0.25);
  }
  QLinearGradient boxGradient(at(0, 0.45), at(0, 0.85));
  boxGradient.setColorAt(0, body.lighter(130));
  boxGradient.setColorAt(1, body.darker(140));
  painter.setBrush(boxGradient);
  painter.drawRoundedRect(QRectF(at(0.10, 0.45), at(0.72, 0.85)), s * 0.05, s * 0.05);
  QPainterPath lens;
  lens.moveTo(at(0.72, 0.56));
  lens.lineTo(at(0.94, 0.46));
  lens.lineTo(at(0.94, 0.84));
  lens.lineTo(at(0.72, 0.74));
  lens.closeSubpath();
  painter.setBrush(metal.darker(115));
  painter.drawPath(lens);
  painter.setBrush(QColor(0xd0, 0x20, 0x10));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(at(0.20, 0.55), s * 0.04, s * 0.04);
}

QImage DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawCamera(painter, QRectF(0, 0, size, size));
  return image;
}

QImage DrawSplash() {
  const int width = 392;
  const int height = 224;
  QImage image(width, height, QImage::Format_RGB888);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);

  QLinearGradient sky(0, 0, 0, height);
  sky.setColorAt(0, QColor(0x18, 0x14, 0x10));
  sky.setColorAt(1, QColor(0x4a, 0x2c, 0x16));
  painter.fillRect(image.rect(), sky);

  // A film strip across the bottom, with its sprocket holes and frames.
  const QRectF strip(0, 160, width, 48);
  painter.fillRect(strip, QColor(0x10, 0x0c, 0x08));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xd8, 0xc8, 0xa8));
  for (int x = 6; x < width; x += 18) {
    painter.drawRoundedRect(QRectF(x, strip.top() + 4, 9, 6), 1.5, 1.5);
    painter.drawRoundedRect(QRectF(x, strip.bottom() - 10, 9, 6), 1.5, 1.5);
  }
  painter.setBrush(QColor(0x6a, 0x48, 0x26));
  for (int x = 8; x < width; x += 64) painter.drawRect(QRectF(x, strip.top() + 14, 56, 20));

  DrawCamera(painter, QRectF(22, 22, 120, 120));

  painter.setPen(QColor(0xf0, 0xd8, 0xa0));
  QFont title("DejaVu Sans", 25, QFont::Bold);
  painter.setFont(title);
  painter.drawText(QRectF(150, 40, 236, 50), Qt::AlignLeft | Qt::AlignVCenter, "Camwright");
  painter.setPen(QColor(0xc8, 0xa8, 0x78));
  painter.setFont(QFont("DejaVu Sans", 11));
  painter.drawText(QRectF(152, 92, 236, 22), Qt::AlignLeft | Qt::AlignVCenter, "a new camera for old demos");
  painter.setFont(QFont("DejaVu Sans", 9));
  painter.drawText(QRectF(152, 116, 236, 20), Qt::AlignLeft | Qt::AlignVCenter, "Version 1.15 beta");
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: make_artwork OUTPUT_DIRECTORY [DESKTOP_ICON_DIRECTORY]\n");
    return 2;
  }
  const QString directory = QString::fromLocal8Bit(argv[1]);
  bool saved = DrawIcon(64).save(directory + "/icon.png") && DrawSplash().save(directory + "/splash.png");
  if (argc == 3) {
    // The sizes a desktop's icon theme looks for first (hicolor).
    const QString icons = QString::fromLocal8Bit(argv[2]);
    for (const int size : {48, 128, 256})
      saved = saved && DrawIcon(size).save(icons + QStringLiteral("/camwright-%1.png").arg(size));
  }
  return saved ? 0 : 1;
}
