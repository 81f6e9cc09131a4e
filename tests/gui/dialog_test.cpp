// The main dialog driven as a user drives it: typing, moving the focus,
// clicking, pressing Enter. Message boxes and the open-file dialog go to the
// recording platform; "&Go !" runs a stand-in that records the options it
// was given.
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPushButton>
#include <memory>

#include "about_dlg.h"
#include "camwright_dlg.h"
#include "recording_platform.h"
#include "refilm/options.h"

namespace {

using cw::MessageKind;
using cw::RefilmOptions;
using cw::RunOutcome;

// One dialog as an interactive start shows it, shown and active.
struct Fixture {
  RefilmOptions options;
  cw::test::RecordingPlatform platform;
  std::vector<RefilmOptions> runs;  // the options of every run started
  RunOutcome outcome = RunOutcome::Done;
  cw::CCamwrightDlg dialog{options, platform, [this](RefilmOptions& o, cw::Platform&) {
                             runs.push_back(o);
                             return outcome;
                           }};

  bool Open() {
    dialog.OnInitDialog();
    dialog.show();
    dialog.activateWindow();
    return QTest::qWaitForWindowActive(&dialog);
  }

  template <typename T>
  T* Find(const char* name) {
    T* found = dialog.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) qFatal("no control %s", name);
    return found;
  }
  QLineEdit* Field(const char* name) { return Find<QLineEdit>(name); }
  QCheckBox* Check(const char* name) { return Find<QCheckBox>(name); }
  QPushButton* Button(const char* name) { return Find<QPushButton>(name); }

  // Puts the focus in the field as a click would, and replaces its text by
  // typing (an empty text by deleting what is there).
  void Retype(const char* name, const QString& text) {
    QLineEdit* field = Field(name);
    field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    if (text.isEmpty()) {
      QTest::keyClick(field, Qt::Key_Backspace);
    } else {
      QTest::keyClicks(field, text);
    }
  }
  // Moves on to the next control with the Tab key.
  void Tab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
  // Clicks the box itself: a check box wider than its text takes no click
  // beyond the text.
  void Click(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }
  void ClickGo() { QTest::mouseClick(Button("go"), Qt::LeftButton); }
  void PressEnter() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }
  QString Text(const char* name) { return Field(name)->text(); }
};

// The check boxes and the option each one sets.
struct CheckOption {
  const char* name;
  const char* text;
  bool RefilmOptions::*option;
  bool starts;
};
const CheckOption kChecks[] = {
    {"generateScript", "Generate automaticly", &RefilmOptions::generateScript, true},
    {"followChase", "Follow chase", &RefilmOptions::followChase, false},
    {"playWhenDone", "Play when done", &RefilmOptions::playWhenDone, true},
    {"makeVideo", "Make a video", &RefilmOptions::makeVideo, false},
    {"centerprintTime", "Centerprint time each frame", &RefilmOptions::centerprintTime, false},
    {"fadeOut", "Fade out at exit", &RefilmOptions::fadeOut, true},
    {"printExitTime", "Print exact exit time", &RefilmOptions::printExitTime, true},
    {"playerBleeding", "Player bleeding", &RefilmOptions::playerBleeding, true},
    {"removeCenterprint", "Centerprint messages", &RefilmOptions::removeCenterprint, true},
    {"removePrint", "Usual messages", &RefilmOptions::removePrint, true},
    {"removeStufftext", "Stufftext messages", &RefilmOptions::removeStufftext, true},
    {"removeOutsideFov", "Entities outside FOV", &RefilmOptions::removeOutsideFov, false},
    {"changeColors", "Change player colors to", &RefilmOptions::changeColors, false},
    {"chainDemo", "Chain another demo", &RefilmOptions::chainDemo, false},
    {"printCredits", "Print credits at the begining", &RefilmOptions::printCredits, false},
    {"setFps", "Set FPS to", &RefilmOptions::setFps, false},
    {"keepInMap", "Keep the camera in the map", &RefilmOptions::keepInMap, false},
};

// Runs `work` as soon as the next modal window is up (the box or menu that
// the code under test opens and waits on).
void WhenModalOpens(std::function<void(QWidget*)> work) {
  QTimer::singleShot(0, [work] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) modal = QApplication::activePopupWidget();
    QVERIFY(modal != nullptr);
    work(modal);
  });
}

class DialogTest : public QObject {
  Q_OBJECT

 private slots:
  void startsWithTheNamesTextsAndStatesOfAnInteractiveStart() {
    Fixture f;
    QVERIFY(f.Open());
    QCOMPARE(f.dialog.windowTitle(), QString("Camwright"));
    QCOMPARE(f.dialog.minimumSize(), f.dialog.maximumSize());  // not resizable
    QCOMPARE(f.Text("sourceDemo"), QString("e1m1.dem"));
    QCOMPARE(f.Text("scriptFile"), QString("temp.cam"));
    QCOMPARE(f.Text("resultDemo"), QString("e1m1c.dem"));
    QCOMPARE(QApplication::focusWidget(), f.Field("sourceDemo"));
    QCOMPARE(f.Field("sourceDemo")->selectedText(), QString("e1m1.de"));
    for (const CheckOption& check : kChecks) {
      QCOMPARE(f.Check(check.name)->text(), QString(check.text));
      QCOMPARE(f.Check(check.name)->isChecked(), check.starts);
      QCOMPARE(f.options.*check.option, check.starts);
    }
    for (const char* disabled : {"runBy", "filmingBy", "chainName", "fps"}) {
      QVERIFY2(!f.Field(disabled)->isEnabled(), disabled);
      QCOMPARE(f.Text(disabled), QString(disabled == std::string("fps") ? "20" : ""));
    }
    QCOMPARE(f.Button("go")->text(), QString("&Go !"));
    QVERIFY(f.Button("go")->isDefault());
    QCOMPARE(f.Button("quit")->text(), QString("&Quit"));
    QCOMPARE(f.Button("help")->text(), QString("&Help"));
    QVERIFY(!f.Button("help")->isEnabled());
    QCOMPARE(f.Button("browse")->text(), QString("..."));
    QCOMPARE(f.Find<QGroupBox>("addGroup")->title(), QString("Add"));
    QCOMPARE(f.Find<QGroupBox>("removeGroup")->title(), QString("Remove"));
    QCOMPARE(f.Find<QGroupBox>("miscGroup")->title(), QString("Miscelaneous options"));
    QStringList labels;
    for (const QLabel* label : f.dialog.findChildren<QLabel*>()) labels << label->text();
    for (const char* text :
         {"Source demo :", "Script :", "Result demo :", "Run by", "Filming by", "shirt and", "pants"}) {
      QVERIFY2(labels.contains(text), text);
    }
  }

  void colourBoxesHoldTheFourteenColoursAndOnlyThose() {
    Fixture f;
    QVERIFY(f.Open());
    const QStringList expected = {"white", "light brown", "light blue", "haki", "red",     "brown",  "gold",
                                  "pink",  "purple",      "purple2",    "gray", "seewave", "yellow", "blue"};
    for (const auto& [name, index] : {std::pair{"shirtColor", 0}, std::pair{"pantsColor", 4}}) {
      QComboBox* box = f.Find<QComboBox>(name);
      QStringList entries;
      for (int i = 0; i < box->count(); ++i) entries << box->itemText(i);
      QCOMPARE(entries, expected);
      QCOMPARE(box->currentIndex(), index);
      QVERIFY(!box->isEditable());
      QVERIFY(!box->isEnabled());
    }
  }

  void tabOrderFollowsTheControlsInTheirOrder() {
    Fixture f;
    QVERIFY(f.Open());
    QStringList chain;
    QWidget* w = f.Field("sourceDemo");
    do {
      if ((w->focusPolicy() & Qt::TabFocus) && w->window() == &f.dialog && !w->objectName().isEmpty()) {
        chain << w->objectName();
      }
      w = w->nextInFocusChain();
    } while (w != f.Field("sourceDemo"));
    const QStringList expected = {"sourceDemo",
                                  "scriptFile",
                                  "generateScript",
                                  "followChase",
                                  "resultDemo",
                                  "playWhenDone",
                                  "makeVideo",
                                  "centerprintTime",
                                  "fadeOut",
                                  "printExitTime",
                                  "playerBleeding",
                                  "removeCenterprint",
                                  "removePrint",
                                  "removeStufftext",
                                  "removeOutsideFov",
                                  "changeColors",
                                  "chainDemo",
                                  "printCredits",
                                  "runBy",
                                  "filmingBy",
                                  "go",
                                  "quit",
                                  "help",
                                  "pantsColor",
                                  "chainName",
                                  "shirtColor",
                                  "setFps",
                                  "fps",
                                  "keepInMap"};
    QCOMPARE(chain, expected);
  }

  void typingTheSourceShowsTheResultAndLeavingAddsExtensions() {
    Fixture f;
    QVERIFY(f.Open());
    f.Retype("sourceDemo", "e1m1");
    QCOMPARE(f.Text("resultDemo"), QString("e1m1c"));
    f.Tab();
    QCOMPARE(f.Text("sourceDemo"), QString("e1m1.dem"));
    QCOMPARE(f.Text("resultDemo"), QString("e1m1c.dem"));
    QCOMPARE(QApplication::focusWidget(), f.Field("scriptFile"));
  }

  void typingInTheMiddleOfTheSourceKeepsTheCursor() {
    Fixture f;
    QVERIFY(f.Open());
    QLineEdit* source = f.Field("sourceDemo");
    source->setCursorPosition(4);
    QTest::keyClicks(source, "xy");
    QCOMPARE(source->text(), QString("e1m1xy.dem"));
    QCOMPARE(f.Text("resultDemo"), QString("e1m1xyc.dem"));
  }

  void sourceInTheParentDirectoryHasAnEmptyStem() {
    Fixture f;
    QVERIFY(f.Open());
    f.Retype("sourceDemo", "../demos/e1m1.dem");
    QCOMPARE(f.Text("resultDemo"), QString("c.dem"));
    f.Tab();
    QCOMPARE(f.Text("sourceDemo"), QString("../demos/e1m1.dem"));
    QCOMPARE(f.Text("resultDemo"), QString("c.dem"));
  }

  void emptiedSourceGivesCAndLeavingItChangesNothing() {
    Fixture f;
    QVERIFY(f.Open());
    f.Retype("sourceDemo", "");
    QCOMPARE(f.Text("resultDemo"), QString("c"));
    f.Tab();
    QCOMPARE(f.Text("sourceDemo"), QString(""));
    QCOMPARE(f.Text("resultDemo"), QString("c"));
  }

  void aTypedResultNoLongerFollowsTheSourceExceptOnLeaving() {
    Fixture f;
    QVERIFY(f.Open());
    f.Retype("resultDemo", "mine.dem");
    QVERIFY(!f.dialog.AutoResult());
    f.Retype("sourceDemo", "e2m2");
    QCOMPARE(f.Text("resultDemo"), QString("mine.dem"));
    f.Tab();  // leaving applies whatever autoResult says
    QCOMPARE(f.Text("sourceDemo"), QString("e2m2.dem"));
    QCOMPARE(f.Text("resultDemo"), QString("e2m2c.dem"));
    f.Retype("resultDemo", "mine2.dem");
    f.platform.fileToOffer = "/quake/id1/e3m3.dem";
    QTest::mouseClick(f.Button("browse"), Qt::LeftButton);
    QCOMPARE(f.Text("sourceDemo"), QString("/quake/id1/e3m3.dem"));
    QCOMPARE(f.Text("resultDemo"), QString("mine2.dem"));
  }

  void editingTheResultWithAnEmptySourceFollowsAgain() {
    Fixture f;
    QVERIFY(f.Open());
    f.Retype("resultDemo", "mine.dem");
    QVERIFY(!f.dialog.AutoResult());
    f.Retype("sourceDemo", "");
    f.Retype("resultDemo", "other.dem");
    QVERIFY(f.dialog.AutoResult());
    f.Retype("sourceDemo", "e4m1");
    QCOMPARE(f.Text("resultDemo"), QString("e4m1c"));
  }

  void leavingTheScriptGivesItAName_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    QTest::newRow("empty") << ""
                           << "example.cam";
    QTest::newRow("no dot") << "intro"
                            << "intro.cam";
    QTest::newRow("dot anywhere") << "cams.v2/intro"
                                  << "cams.v2/intro";
  }
  void leavingTheScriptGivesItAName() {
    QFETCH(QString, typed);
    QFETCH(QString, after);
    Fixture f;
    QVERIFY(f.Open());
    f.Retype("scriptFile", typed);
    QCOMPARE(f.Text("scriptFile"), typed);
    f.Tab();
    QCOMPARE(f.Text("scriptFile"), after);
  }

  void browsingDerivesTheResult_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("offered");  // empty: the user cancels
    QTest::addColumn<QString>("sourceAfter");
    QTest::addColumn<QString>("resultAfter");
    QTest::newRow("chosen") << "e1m1.dem"
                            << "/quake/id1/e2m1.dem"
                            << "/quake/id1/e2m1.dem"
                            << "/quake/id1/e2m1c.dem";
    QTest::newRow("cancelled") << "e4m4.dem"
                               << ""
                               << "e4m4.dem"
                               << "e4m4c.dem";
    QTest::newRow("cancelled without dot") << "e4m4"
                                           << ""
                                           << "e4m4"
                                           << "c.dem";
  }
  void browsingDerivesTheResult() {
    QFETCH(QString, source);
    QFETCH(QString, offered);
    QFETCH(QString, sourceAfter);
    QFETCH(QString, resultAfter);
    Fixture f;
    QVERIFY(f.Open());
    // Names as a command line could have left them, the result unrelated.
    f.options.sourceDemo = source.toStdString();
    f.options.resultDemo = "unrelated.dem";
    f.dialog.WriteControls();
    if (!offered.isEmpty()) f.platform.fileToOffer = offered.toStdString();
    f.dialog.OnBrowse();
    QCOMPARE(f.Text("sourceDemo"), sourceAfter);
    QCOMPARE(f.Text("resultDemo"), resultAfter);
  }

  void checkBoxesEnableTheirFields_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("colours") << "changeColors" << QStringList{"shirtColor", "pantsColor"};
    QTest::newRow("credits") << "printCredits" << QStringList{"runBy", "filmingBy"};
    QTest::newRow("chain") << "chainDemo" << QStringList{"chainName"};
    QTest::newRow("frame rate") << "setFps" << QStringList{"fps"};
  }
  void checkBoxesEnableTheirFields() {
    QFETCH(QString, box);
    QFETCH(QStringList, fields);
    Fixture f;
    QVERIFY(f.Open());
    QCheckBox* check = f.Check(box.toLatin1().constData());
    for (const bool on : {true, false}) {
      f.Click(check);
      for (const QString& field : fields) {
        QWidget* control = f.dialog.findChild<QWidget*>(field);
        QCOMPARE(control->isEnabled(), on);
      }
    }
    QVERIFY(f.platform.messages.empty());
  }

  void goReadsEveryControl() {
    Fixture f;
    QVERIFY(f.Open());
    for (const CheckOption& check : kChecks) f.Click(f.Check(check.name));
    f.Retype("scriptFile", "intro.cam");
    f.Retype("chainName", "e1m2.dem");
    f.Retype("runBy", "Ann");
    f.Retype("filmingBy", "Bob");
    f.Retype("fps", "30");
    QComboBox* shirt = f.Find<QComboBox>("shirtColor");
    shirt->setFocus();
    QTest::keyClick(shirt, Qt::Key_Down);  // light brown
    QComboBox* pants = f.Find<QComboBox>("pantsColor");
    pants->setFocus();
    QTest::keyClick(pants, Qt::Key_End);  // blue
    f.ClickGo();
    QCOMPARE(f.runs.size(), std::size_t{1});
    const RefilmOptions& run = f.runs[0];
    for (const CheckOption& check : kChecks) QVERIFY2(run.*check.option == !check.starts, check.name);
    QCOMPARE(QString::fromStdString(run.sourceDemo), QString("e1m1.dem"));
    QCOMPARE(QString::fromStdString(run.scriptFile), QString("intro.cam"));
    QCOMPARE(QString::fromStdString(run.resultDemo), QString("e1m1c.dem"));
    QCOMPARE(QString::fromStdString(run.chainName), QString("e1m2.dem"));
    QCOMPARE(QString::fromStdString(run.runBy), QString("Ann"));
    QCOMPARE(QString::fromStdString(run.filmingBy), QString("Bob"));
    QCOMPARE(run.fps, 30);
    QCOMPARE(run.shirtColor, 1);
    QCOMPARE(run.pantsColor, 13);
    QVERIFY(f.platform.messages.empty());
  }

  void writingTheRecordRaisesNoHandler() {
    Fixture f;
    QVERIFY(f.Open());
    f.options.sourceDemo = "";
    f.options.resultDemo = "kept.dem";
    f.options.changeColors = true;
    f.options.fps = 55;
    f.dialog.WriteControls();
    QCOMPARE(f.Text("resultDemo"), QString("kept.dem"));  // no source rule ran
    QVERIFY(f.dialog.AutoResult());
    QVERIFY(f.Check("changeColors")->isChecked());
    QVERIFY(!f.Find<QComboBox>("shirtColor")->isEnabled());  // enabling is the click's business
    QCOMPARE(f.Text("fps"), QString("55"));
  }

  void frameRateIsValidatedBeforeTheRun_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");  // empty: accepted, the run starts
    QTest::addColumn<int>("fps");
    const QString integer = "Please enter an integer.";
    const QString range = "Please enter an integer between 5 and 100.";
    QTest::newRow("lowest") << "5"
                            << "" << 5;
    QTest::newRow("highest") << "100"
                             << "" << 100;
    QTest::newRow("blanks around") << " 25 "
                                   << "" << 25;
    QTest::newRow("below") << "4" << range << 4;
    QTest::newRow("above") << "101" << range << 101;
    QTest::newRow("negative") << "-20" << range << -20;
    QTest::newRow("letters") << "fast" << integer << 20;
    QTest::newRow("empty") << "" << integer << 20;
    QTest::newRow("decimal") << "25.5" << integer << 20;
    QTest::newRow("too long for an int") << "123456789012" << integer << 20;
  }
  void frameRateIsValidatedBeforeTheRun() {
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(int, fps);
    Fixture f;
    QVERIFY(f.Open());
    f.Click(f.Check("setFps"));
    f.Retype("fps", typed);
    f.ClickGo();
    QCOMPARE(f.options.fps, fps);
    if (message.isEmpty()) {
      QVERIFY(f.platform.messages.empty());
      QCOMPARE(f.runs.size(), std::size_t{1});
      return;
    }
    QCOMPARE(f.platform.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(f.platform.messages[0].text), message);
    QCOMPARE(QString::fromStdString(f.platform.messages[0].caption), QString("Camwright"));
    QCOMPARE(f.platform.messages[0].kind, MessageKind::Error);
    QVERIFY(f.runs.empty());
    QCOMPARE(QApplication::focusWidget(), f.Field("fps"));
  }

  void clickingGoLeavesTheFieldButEnterDoesNot_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("click");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("result");
    QTest::newRow("source, click") << "sourceDemo"
                                   << "e1m1" << true << "e1m1.dem"
                                   << "temp.cam"
                                   << "e1m1c.dem";
    QTest::newRow("source, Enter") << "sourceDemo"
                                   << "e1m1" << false << "e1m1"
                                   << "temp.cam"
                                   << "e1m1c";
    QTest::newRow("script, click") << "scriptFile"
                                   << "intro" << true << "e1m1.dem"
                                   << "intro.cam"
                                   << "e1m1c.dem";
    QTest::newRow("script, Enter") << "scriptFile"
                                   << "intro" << false << "e1m1.dem"
                                   << "intro"
                                   << "e1m1c.dem";
  }
  void clickingGoLeavesTheFieldButEnterDoesNot() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(bool, click);
    QFETCH(QString, source);
    QFETCH(QString, script);
    QFETCH(QString, result);
    Fixture f;
    QVERIFY(f.Open());
    f.Retype(field.toLatin1().constData(), typed);
    if (click) {
      f.ClickGo();
    } else {
      f.PressEnter();
    }
    QCOMPARE(f.runs.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(f.runs[0].sourceDemo), source);
    QCOMPARE(QString::fromStdString(f.runs[0].scriptFile), script);
    QCOMPARE(QString::fromStdString(f.runs[0].resultDemo), result);
  }

  void quitAsksAndOnlyYesCloses_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
  }
  void quitAsksAndOnlyYesCloses() {
    QFETCH(bool, yes);
    Fixture f;
    QVERIFY(f.Open());
    f.platform.questionAnswer = yes ? cw::MessageAnswer::Yes : cw::MessageAnswer::No;
    QTest::mouseClick(f.Button("quit"), Qt::LeftButton);
    QCOMPARE(f.platform.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(f.platform.messages[0].text), QString("Are you sure ?"));
    QCOMPARE(QString::fromStdString(f.platform.messages[0].caption), QString("Quiting Camwright"));
    QCOMPARE(f.platform.messages[0].kind, MessageKind::Question);
    QCOMPARE(f.dialog.IsClosed(), yes);
    QCOMPARE(f.dialog.isVisible(), !yes);
    if (yes) QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    QVERIFY(f.runs.empty());
  }

  void escapeAndTheCloseBoxCloseWithoutAsking_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("Escape") << true;
    QTest::newRow("close box") << false;
  }
  void escapeAndTheCloseBoxCloseWithoutAsking() {
    QFETCH(bool, escape);
    Fixture f;
    QVERIFY(f.Open());
    if (escape) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    } else {
      f.dialog.close();
    }
    QVERIFY(f.dialog.IsClosed());
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    QVERIFY(f.platform.messages.empty());
  }

  void automaticRunClosesTheDialogUnlessRefused() {
    Fixture f;
    QVERIFY(f.Open());
    f.options.autoRun = true;  // as after a refused start from the command line
    f.outcome = RunOutcome::Refused;
    f.ClickGo();
    QVERIFY(!f.dialog.IsClosed());
    QVERIFY(f.options.autoRun);
    f.outcome = RunOutcome::DoneWithProblems;
    f.ClickGo();
    QVERIFY(f.dialog.IsClosed());
    QCOMPARE(f.runs.size(), std::size_t{2});
  }

  void interactiveRunLeavesTheDialogOpen() {
    Fixture f;
    QVERIFY(f.Open());
    f.ClickGo();
    f.ClickGo();
    QCOMPARE(f.runs.size(), std::size_t{2});
    QVERIFY(!f.dialog.IsClosed());
  }

  void creditFieldsHoldOnlyWhatFits() {
    Fixture f;
    QVERIFY(f.Open());
    f.Click(f.Check("printCredits"));
    QLineEdit* runBy = f.Field("runBy");
    runBy->setFocus();
    QTest::keyClicks(runBy, QString(200, 'W'));
    QVERIFY(runBy->text().size() > 3);
    QVERIFY(runBy->text().size() < 200);
    QVERIFY(runBy->fontMetrics().horizontalAdvance(runBy->text()) < runBy->width());
    // The other fields scroll.
    f.Retype("scriptFile", QString(200, 'W'));
    QCOMPARE(f.Text("scriptFile").size(), 200);
  }

  void contextMenuOffersTheAboutBox() {
    Fixture f;
    QVERIFY(f.Open());
    QStringList items;
    WhenModalOpens([&items](QWidget* menu) {
      for (const QAction* action : menu->actions()) items << action->text();
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), f.dialog.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&f.dialog, &event);
    QCOMPARE(items, QStringList{"&About Camwright..."});

    QString caption;
    QStringList lines;
    bool hasIcon = false;
    WhenModalOpens([&](QWidget* about) {
      caption = about->windowTitle();
      for (const char* name : {"version", "about"}) lines << about->findChild<QLabel*>(name)->text();
      hasIcon = !about->findChild<QLabel*>("icon")->pixmap().isNull();
      QTest::mouseClick(about->findChild<QPushButton*>("ok"), Qt::LeftButton);
    });
    f.dialog.findChild<QAction*>("about")->trigger();
    QCOMPARE(caption, QString("About Camwright"));
    QCOMPARE(lines.value(0), QString("Camwright Version 1.15 beta"));
    QVERIFY(!lines.value(1).isEmpty());
    QVERIFY(hasIcon);
    QVERIFY(!f.dialog.IsClosed());
  }
};

}  // namespace

QTEST_MAIN(DialogTest)
#include "dialog_test.moc"
