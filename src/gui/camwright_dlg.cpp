#include "camwright_dlg.h"

#include <QtCore/QFile>
#include <QtGui/QAction>
#include <QtGui/QContextMenuEvent>
#include <QtGui/QFocusEvent>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>
#include <cstdlib>

#include "about_dlg.h"
#include "fit_width_validator.h"
#include "name_rules.h"
#include "refilm/option_values.h"
#include "refilm/options.h"
#include "run/platform.h"
#include "splash_wnd.h"

namespace cw {

namespace {

// File names travel as the bytes the file system uses; the credits go into
// the demo stream, whose text is one byte per character.
std::string FileNameOf(const QLineEdit* field) { return QFile::encodeName(field->text()).toStdString(); }
QString FieldTextOfFileName(const std::string& name) { return QFile::decodeName(QByteArray::fromStdString(name)); }
std::string CreditOf(const QLineEdit* field) { return field->text().toLatin1().toStdString(); }
QString FieldTextOfCredit(const std::string& credit) { return QString::fromLatin1(credit); }

// Setting the same text again would move the cursor to the end while the
// user types in the middle of a name.
void SetText(QLineEdit* field, const QString& text) {
  if (field->text() != text) field->setText(text);
}

QCheckBox* NewCheckBox(const char* text, const char* name, QWidget* parent) {
  auto* box = new QCheckBox(QString::fromLatin1(text), parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

QLineEdit* NewField(const char* name, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QString::fromLatin1(name));
  return field;
}

QComboBox* NewColorBox(const char* name, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  for (const char* color : kColorNames) box->addItem(QString::fromLatin1(color));
  box->setMaxVisibleItems(std::size(kColorNames));
  box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return box;
}

QPushButton* NewButton(const char* text, const char* name, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(text), parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

}  // namespace

CCamwrightDlg::CCamwrightDlg(RefilmOptions& options, Platform& platform, RunFunction run, CSplash* splash,
                             QWidget* parent)
    : QDialog(parent), options_(options), platform_(platform), run_(std::move(run)), splash_(splash) {
  setWindowTitle(QStringLiteral("Camwright"));
  setWindowIcon(QIcon(QStringLiteral(":/camwright/icon.png")));
  // A fixed dialog: no maximise button, no help button in the title bar.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  CreateControls();
  ArrangeControls();
  ConnectHandlers();
}

int CCamwrightDlg::DialogUnitsX(int units) const { return units * fontMetrics().averageCharWidth() / 4; }

void CCamwrightDlg::CreateControls() {
  // In the order of the keyboard's tab chain.
  sourceDemo_ = NewField("sourceDemo", this);
  scriptFile_ = NewField("scriptFile", this);
  generateScript_ = NewCheckBox("Generate automaticly", "generateScript", this);
  followChase_ = NewCheckBox("Follow chase", "followChase", this);
  resultDemo_ = NewField("resultDemo", this);
  playWhenDone_ = NewCheckBox("Play when done", "playWhenDone", this);
  makeVideo_ = NewCheckBox("Make a video", "makeVideo", this);
  centerprintTime_ = NewCheckBox("Centerprint time each frame", "centerprintTime", this);
  fadeOut_ = NewCheckBox("Fade out at exit", "fadeOut", this);
  printExitTime_ = NewCheckBox("Print exact exit time", "printExitTime", this);
  playerBleeding_ = NewCheckBox("Player bleeding", "playerBleeding", this);
  removeCenterprint_ = NewCheckBox("Centerprint messages", "removeCenterprint", this);
  removePrint_ = NewCheckBox("Usual messages", "removePrint", this);
  removeStufftext_ = NewCheckBox("Stufftext messages", "removeStufftext", this);
  removeOutsideFov_ = NewCheckBox("Entities outside FOV", "removeOutsideFov", this);
  changeColors_ = NewCheckBox("Change player colors to", "changeColors", this);
  chainDemo_ = NewCheckBox("Chain another demo", "chainDemo", this);
  printCredits_ = NewCheckBox("Print credits at the begining", "printCredits", this);
  runBy_ = NewField("runBy", this);
  filmingBy_ = NewField("filmingBy", this);
  go_ = NewButton("&Go !", "go", this);
  quit_ = NewButton("&Quit", "quit", this);
  help_ = NewButton("&Help", "help", this);
  pantsColor_ = NewColorBox("pantsColor", this);
  browse_ = NewButton("...", "browse", this);
  chainName_ = NewField("chainName", this);
  shirtColor_ = NewColorBox("shirtColor", this);
  setFps_ = NewCheckBox("Set FPS to", "setFps", this);
  fps_ = NewField("fps", this);
  keepInMap_ = NewCheckBox("Keep the camera in the map", "keepInMap", this);

  const QList<QWidget*> tabChain = {sourceDemo_,
                                    scriptFile_,
                                    generateScript_,
                                    followChase_,
                                    resultDemo_,
                                    playWhenDone_,
                                    makeVideo_,
                                    centerprintTime_,
                                    fadeOut_,
                                    printExitTime_,
                                    playerBleeding_,
                                    removeCenterprint_,
                                    removePrint_,
                                    removeStufftext_,
                                    removeOutsideFov_,
                                    changeColors_,
                                    chainDemo_,
                                    printCredits_,
                                    runBy_,
                                    filmingBy_,
                                    go_,
                                    quit_,
                                    help_,
                                    pantsColor_,
                                    chainName_,
                                    shirtColor_,
                                    setFps_,
                                    fps_,
                                    keepInMap_};
  for (qsizetype i = 1; i < tabChain.size(); ++i) setTabOrder(tabChain[i - 1], tabChain[i]);
  browse_->setFocusPolicy(Qt::ClickFocus);  // not a tab stop

  go_->setDefault(true);
  help_->setEnabled(false);  // the program has no help of its own
  for (QWidget* startsDisabled :
       std::initializer_list<QWidget*>{runBy_, filmingBy_, pantsColor_, chainName_, shirtColor_, fps_}) {
    startsDisabled->setEnabled(false);
  }
  runBy_->setValidator(new CFitWidthValidator(runBy_));
  filmingBy_->setValidator(new CFitWidthValidator(filmingBy_));
  printCredits_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);

  about_ = new QAction(QStringLiteral("&About Camwright..."), this);
  about_->setObjectName(QStringLiteral("about"));
}

void CCamwrightDlg::ArrangeControls() {
  const int fieldWidth = DialogUnitsX(72);
  for (QLineEdit* field : {scriptFile_, resultDemo_}) field->setMinimumWidth(fieldWidth);
  browse_->setFixedWidth(DialogUnitsX(16));
  for (QLineEdit* field : {chainName_, runBy_, filmingBy_}) field->setMinimumWidth(DialogUnitsX(125));
  fps_->setFixedWidth(DialogUnitsX(22));
  for (QPushButton* button : {go_, quit_, help_}) button->setMinimumWidth(DialogUnitsX(50));

  auto* files = new QGridLayout;
  auto* sourceLabel = new QLabel(QStringLiteral("Source demo :"), this);
  auto* scriptLabel = new QLabel(QStringLiteral("Script :"), this);
  auto* resultLabel = new QLabel(QStringLiteral("Result demo :"), this);
  sourceLabel->setBuddy(sourceDemo_);
  scriptLabel->setBuddy(scriptFile_);
  resultLabel->setBuddy(resultDemo_);
  auto* sourceRow = new QHBoxLayout;
  sourceRow->setSpacing(2);
  sourceRow->addWidget(sourceDemo_);
  sourceRow->addWidget(browse_);
  files->addWidget(sourceLabel, 0, 0);
  files->addLayout(sourceRow, 0, 1);
  files->addWidget(scriptLabel, 1, 0);
  files->addWidget(scriptFile_, 1, 1);
  auto* generateRow = new QHBoxLayout;
  generateRow->addWidget(generateScript_);
  generateRow->addWidget(followChase_);
  files->addLayout(generateRow, 1, 2);
  files->addWidget(resultLabel, 2, 0);
  files->addWidget(resultDemo_, 2, 1);
  files->addWidget(playWhenDone_, 2, 2);
  files->addWidget(makeVideo_, 2, 3);  // the result as a video beside it, RESULT.mp4
  files->setColumnStretch(4, 1);

  auto* add = new QGroupBox(QStringLiteral("Add"), this);
  add->setObjectName(QStringLiteral("addGroup"));
  auto* addColumn = new QVBoxLayout(add);
  for (QCheckBox* box : {centerprintTime_, fadeOut_, printExitTime_, playerBleeding_}) addColumn->addWidget(box);
  auto* remove = new QGroupBox(QStringLiteral("Remove"), this);
  remove->setObjectName(QStringLiteral("removeGroup"));
  auto* removeColumn = new QVBoxLayout(remove);
  for (QCheckBox* box : {removeCenterprint_, removePrint_, removeStufftext_, removeOutsideFov_}) {
    removeColumn->addWidget(box);
  }
  auto* groups = new QHBoxLayout;
  groups->addWidget(add, 1);
  groups->addWidget(remove, 1);

  auto* misc = new QGroupBox(QStringLiteral("Miscelaneous options"), this);
  misc->setObjectName(QStringLiteral("miscGroup"));
  auto* miscGrid = new QGridLayout(misc);
  auto* colors = new QHBoxLayout;
  colors->addWidget(shirtColor_);
  colors->addWidget(new QLabel(QStringLiteral("shirt and"), misc));
  colors->addWidget(pantsColor_);
  colors->addWidget(new QLabel(QStringLiteral("pants"), misc));
  colors->addStretch(1);
  miscGrid->addWidget(changeColors_, 0, 0, 1, 2);
  miscGrid->addLayout(colors, 0, 2);
  auto* frameRate = new QHBoxLayout;
  frameRate->addWidget(setFps_);
  frameRate->addWidget(fps_);
  frameRate->addStretch(1);
  miscGrid->addLayout(frameRate, 1, 0, 1, 2);
  miscGrid->addWidget(chainDemo_, 2, 0, 1, 2);
  miscGrid->addWidget(chainName_, 2, 2);
  auto* runByLabel = new QLabel(QStringLiteral("Run by"), misc);
  auto* filmingByLabel = new QLabel(QStringLiteral("Filming by"), misc);
  runByLabel->setBuddy(runBy_);
  filmingByLabel->setBuddy(filmingBy_);
  miscGrid->addWidget(printCredits_, 3, 0);
  miscGrid->addWidget(runByLabel, 3, 1);
  miscGrid->addWidget(runBy_, 3, 2);
  miscGrid->addWidget(filmingByLabel, 4, 1);
  miscGrid->addWidget(filmingBy_, 4, 2);
  miscGrid->addWidget(keepInMap_, 5, 0, 1, 3);
  miscGrid->setColumnStretch(2, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(help_);
  buttons->addStretch(1);
  buttons->addWidget(go_);
  buttons->addStretch(1);
  buttons->addWidget(quit_);

  auto* page = new QVBoxLayout(this);
  page->addLayout(files);
  page->addLayout(groups);
  page->addWidget(misc);
  page->addLayout(buttons);
  page->setSizeConstraint(QLayout::SetFixedSize);  // not resizable
}

void CCamwrightDlg::ConnectHandlers() {
  connect(go_, &QPushButton::clicked, this, &CCamwrightDlg::OnGo);
  connect(quit_, &QPushButton::clicked, this, &CCamwrightDlg::OnQuit);
  connect(browse_, &QPushButton::clicked, this, &CCamwrightDlg::OnBrowse);
  connect(about_, &QAction::triggered, this, &CCamwrightDlg::OnAbout);
  // textEdited, unlike textChanged, is raised by the user's typing only, so
  // the dialog's own writes never run these rules.
  connect(sourceDemo_, &QLineEdit::textEdited, this, &CCamwrightDlg::OnSourceEdited);
  connect(resultDemo_, &QLineEdit::textEdited, this, &CCamwrightDlg::OnResultEdited);
  sourceDemo_->installEventFilter(this);
  scriptFile_->installEventFilter(this);

  // A check box that enables its fields: read, then follow the option.
  const auto enabling = [this](QCheckBox* box, const bool RefilmOptions::*option, std::vector<QWidget*> fields) {
    connect(box, &QCheckBox::clicked, this, [this, option, fields] {
      ReadControls();
      for (QWidget* field : fields) field->setEnabled(options_.*option);
    });
  };
  enabling(changeColors_, &RefilmOptions::changeColors, {shirtColor_, pantsColor_});
  enabling(printCredits_, &RefilmOptions::printCredits, {runBy_, filmingBy_});
  enabling(chainDemo_, &RefilmOptions::chainDemo, {chainName_});
  enabling(setFps_, &RefilmOptions::setFps, {fps_});
  connect(playWhenDone_, &QCheckBox::clicked, this, [this] { ReadControls(); });
  connect(makeVideo_, &QCheckBox::clicked, this, [this] { ReadControls(); });
}

bool CCamwrightDlg::ReadControls() {
  RefilmOptions& options = options_;
  options.generateScript = generateScript_->isChecked();
  options.followChase = followChase_->isChecked();
  options.playWhenDone = playWhenDone_->isChecked();
  options.makeVideo = makeVideo_->isChecked();
  options.resultDemo = FileNameOf(resultDemo_);
  options.scriptFile = FileNameOf(scriptFile_);
  options.sourceDemo = FileNameOf(sourceDemo_);
  options.changeColors = changeColors_->isChecked();
  options.shirtColor = shirtColor_->currentIndex();
  options.pantsColor = pantsColor_->currentIndex();
  options.printCredits = printCredits_->isChecked();
  options.centerprintTime = centerprintTime_->isChecked();
  options.removeCenterprint = removeCenterprint_->isChecked();
  options.removePrint = removePrint_->isChecked();
  options.removeStufftext = removeStufftext_->isChecked();
  options.chainDemo = chainDemo_->isChecked();
  options.playerBleeding = playerBleeding_->isChecked();
  options.chainName = FileNameOf(chainName_);
  options.fadeOut = fadeOut_->isChecked();
  options.removeOutsideFov = removeOutsideFov_->isChecked();
  options.printExitTime = printExitTime_->isChecked();
  options.runBy = CreditOf(runBy_);
  options.filmingBy = CreditOf(filmingBy_);
  options.setFps = setFps_->isChecked();
  options.keepInMap = keepInMap_->isChecked();
  // The maps come from --game on the dialog's command line, else QUAKE_DIR.
  const char* quakeDir = std::getenv("QUAKE_DIR");
  if (options.keepInMap && options.gameFolder.empty() && quakeDir != nullptr) options.gameFolder = quakeDir;
  return ReadFrameRate();
}

bool CCamwrightDlg::ReadFrameRate() {
  const FrameRateReading reading = cw::ReadFrameRate(fps_->text().toStdString());
  if (reading.value) options_.fps = *reading.value;
  const std::string& complaint = reading.complaint;
  if (complaint.empty()) return true;
  platform_.MessageBox(complaint, "Camwright", MessageKind::Error);
  movingFocus_ = true;
  fps_->setFocus(Qt::OtherFocusReason);
  fps_->selectAll();
  movingFocus_ = false;
  return false;
}

void CCamwrightDlg::WriteControls() {
  const RefilmOptions& options = options_;
  generateScript_->setChecked(options.generateScript);
  followChase_->setChecked(options.followChase);
  playWhenDone_->setChecked(options.playWhenDone);
  makeVideo_->setChecked(options.makeVideo);
  SetText(resultDemo_, FieldTextOfFileName(options.resultDemo));
  SetText(scriptFile_, FieldTextOfFileName(options.scriptFile));
  SetText(sourceDemo_, FieldTextOfFileName(options.sourceDemo));
  changeColors_->setChecked(options.changeColors);
  shirtColor_->setCurrentIndex(options.shirtColor);
  pantsColor_->setCurrentIndex(options.pantsColor);
  printCredits_->setChecked(options.printCredits);
  centerprintTime_->setChecked(options.centerprintTime);
  removeCenterprint_->setChecked(options.removeCenterprint);
  removePrint_->setChecked(options.removePrint);
  removeStufftext_->setChecked(options.removeStufftext);
  chainDemo_->setChecked(options.chainDemo);
  playerBleeding_->setChecked(options.playerBleeding);
  SetText(chainName_, FieldTextOfFileName(options.chainName));
  fadeOut_->setChecked(options.fadeOut);
  removeOutsideFov_->setChecked(options.removeOutsideFov);
  printExitTime_->setChecked(options.printExitTime);
  SetText(runBy_, FieldTextOfCredit(options.runBy));
  SetText(filmingBy_, FieldTextOfCredit(options.filmingBy));
  setFps_->setChecked(options.setFps);
  keepInMap_->setChecked(options.keepInMap);
  SetText(fps_, QString::number(options.fps));
}

bool CCamwrightDlg::OnInitDialog() {
  WriteControls();
  // The fields of an option that starts on (given on the command line) are
  // ready to edit, as after a click on its box.
  for (const auto& [box, fields] :
       {std::pair{changeColors_, std::vector<QWidget*>{shirtColor_, pantsColor_}},
        std::pair{printCredits_, std::vector<QWidget*>{runBy_, filmingBy_}},
        std::pair{chainDemo_, std::vector<QWidget*>{chainName_}}, std::pair{setFps_, std::vector<QWidget*>{fps_}}}) {
    for (QWidget* field : fields) field->setEnabled(box->isChecked());
  }
  if (options_.autoRun) {
    // A run started with names shows a message only when something went
    // wrong: the script's mistakes are left for check to tell.
    options_.quiet = true;
    OnGo();
    return !closed_;
  }
  options_.sourceDemo = kDefaultSourceDemo;
  options_.resultDemo = kDefaultResultDemo;
  options_.scriptFile = kDefaultScriptFile;
  WriteControls();
  sourceDemo_->setFocus(Qt::OtherFocusReason);
  sourceDemo_->setSelection(0, 7);
  if (splash_ != nullptr) splash_->ShowSplash(this);
  return true;
}

void CCamwrightDlg::OnGo() {
  // A refused frame rate has been reported and its field has the focus: let
  // the user mend it before anything is written.
  if (!ReadControls()) return;
  const RunOutcome outcome = run_(options_, platform_);
  // An automatic run ends the program unless it refused the names; then the
  // dialog stays, and so does autoRun.
  if (options_.autoRun && outcome != RunOutcome::Refused) done(QDialog::Rejected);
}

void CCamwrightDlg::OnQuit() {
  if (platform_.MessageBox("Are you sure ?", "Quiting Camwright", MessageKind::Question) == MessageAnswer::Yes) {
    done(QDialog::Rejected);
  }
}

void CCamwrightDlg::OnBrowse() {
  ReadControls();
  if (std::optional<std::string> chosen = platform_.OpenDemoFile()) options_.sourceDemo = *chosen;
  if (autoResult_) options_.resultDemo = ResultAfterBrowse(options_.sourceDemo);
  WriteControls();
}

void CCamwrightDlg::OnAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CCamwrightDlg::OnSourceEdited() {
  ReadControls();
  if (autoResult_) options_.resultDemo = ResultWhileTyping(options_.sourceDemo);
  WriteControls();
}

void CCamwrightDlg::OnSourceLeft() {
  ReadControls();
  if (LeaveSource(options_.sourceDemo, options_.resultDemo)) WriteControls();
}

void CCamwrightDlg::OnResultEdited() {
  // Typing a result of one's own stops the result following the source,
  // unless there is no source to follow.
  autoResult_ = options_.sourceDemo.empty();
}

void CCamwrightDlg::OnScriptLeft() {
  ReadControls();
  LeaveScript(options_.scriptFile);
  WriteControls();
}

void CCamwrightDlg::done(int result) {
  closed_ = true;
  QDialog::done(result);
}

void CCamwrightDlg::contextMenuEvent(QContextMenuEvent* event) {
  // Linux dialogs have no window menu to put the About item in.
  QMenu menu(this);
  menu.addAction(about_);
  menu.exec(event->globalPos());
}

bool CCamwrightDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && !movingFocus_) {
    // Only the user moving to another control of this dialog leaves a field;
    // a message box or another window taking over does not.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      if (watched == sourceDemo_) OnSourceLeft();
      if (watched == scriptFile_) OnScriptLeft();
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace cw
