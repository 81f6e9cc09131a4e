#pragma once
// The About box: the program's icon, its version and one line about it.

#include <QtWidgets/QDialog>

#include "console/version.h"

namespace cw {

inline constexpr const char* kAboutLine = "Re-films Quake demos with a scripted camera";

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace cw
