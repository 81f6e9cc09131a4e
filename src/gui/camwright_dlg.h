#pragma once
// The main dialog: the three file names, the options of a refilm and "&Go !".
// It holds no options of its own: its controls are transferred to and from
// the one record of options the program keeps, and it keeps the file-name
// fields consistent as the user types.

#include <QtWidgets/QDialog>
#include <functional>

#include "run/refilm_run.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace cw {

struct RefilmOptions;
class Platform;
class CSplash;

// The refilm that "&Go !" starts; the program passes a session's run, tests
// their own.
using RunFunction = std::function<RunOutcome(RefilmOptions&, Platform&)>;

class CCamwrightDlg : public QDialog {
  Q_OBJECT

 public:
  // `splash` may be null: no splash is ever shown then.
  CCamwrightDlg(RefilmOptions& options, Platform& platform, RunFunction run, CSplash* splash = nullptr,
                QWidget* parent = nullptr);

  // Everything before the window is first shown: the record goes into the
  // controls; then either the automatic run, or the interactive names and the
  // splash. Returns false when the automatic run has already closed the
  // dialog (the program is over).
  bool OnInitDialog();

  // True once the dialog has been closed, in any way.
  bool IsClosed() const { return closed_; }
  bool AutoResult() const { return autoResult_; }

  // Every control into the record. Returns false when the frame rate was
  // refused; its message has then been shown and the field has the focus.
  bool ReadControls();
  // Every value of the record into its control. Raises no handler.
  void WriteControls();

  // What the user reaches from the dialog's controls; public so that the
  // program (and tests) can reach them as a user does.
  void OnGo();
  void OnQuit();
  void OnBrowse();
  void OnAbout();

  void done(int result) override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void ArrangeControls();
  void ConnectHandlers();
  int DialogUnitsX(int units) const;

  void OnSourceEdited();
  void OnSourceLeft();
  void OnResultEdited();
  void OnScriptLeft();
  bool ReadFrameRate();

  RefilmOptions& options_;
  Platform& platform_;
  RunFunction run_;
  CSplash* splash_;
  bool autoResult_ = true;
  bool closed_ = false;
  // Set while the dialog itself moves the focus to the frame-rate field: that
  // is not the user leaving a name field.
  bool movingFocus_ = false;

  QLineEdit* sourceDemo_ = nullptr;
  QPushButton* browse_ = nullptr;
  QLineEdit* scriptFile_ = nullptr;
  QCheckBox* generateScript_ = nullptr;
  QCheckBox* followChase_ = nullptr;  // a generated chase is a follow
  QLineEdit* resultDemo_ = nullptr;
  QCheckBox* playWhenDone_ = nullptr;
  QCheckBox* makeVideo_ = nullptr;
  QCheckBox* centerprintTime_ = nullptr;
  QCheckBox* fadeOut_ = nullptr;
  QCheckBox* printExitTime_ = nullptr;
  QCheckBox* playerBleeding_ = nullptr;
  QCheckBox* removeCenterprint_ = nullptr;
  QCheckBox* removePrint_ = nullptr;
  QCheckBox* removeStufftext_ = nullptr;
  QCheckBox* removeOutsideFov_ = nullptr;
  QCheckBox* keepInMap_ = nullptr;
  QCheckBox* changeColors_ = nullptr;
  QComboBox* shirtColor_ = nullptr;
  QComboBox* pantsColor_ = nullptr;
  QCheckBox* setFps_ = nullptr;
  QLineEdit* fps_ = nullptr;
  QCheckBox* chainDemo_ = nullptr;
  QLineEdit* chainName_ = nullptr;
  QCheckBox* printCredits_ = nullptr;
  QLineEdit* runBy_ = nullptr;
  QLineEdit* filmingBy_ = nullptr;
  QPushButton* go_ = nullptr;
  QPushButton* quit_ = nullptr;
  QPushButton* help_ = nullptr;
  QAction* about_ = nullptr;
};

}  // namespace cw
