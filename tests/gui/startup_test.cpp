// Start-up: the command line's names and the automatic run, the splash of an
// interactive start, and a program that goes on without its picture.
#include <QtGui/QScreen>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>

#include "camwright_app.h"
#include "console/arguments.h"
#include "recording_platform.h"

namespace {

using cw::RefilmOptions;
using cw::RunOutcome;

struct Fixture {
  explicit Fixture(QString picture = QString::fromLatin1(cw::kSplashPicture))
      : app(
            platform,
            [this](RefilmOptions& o, cw::Platform&) {
              runs.push_back(o);
              runWhileHidden = !app.CreateDialog().isVisible();
              return outcome;
            },
            std::move(picture)) {}

  QString Text(const char* name) { return app.CreateDialog().findChild<QLineEdit*>(name)->text(); }

  cw::test::RecordingPlatform platform;
  std::vector<RefilmOptions> runs;
  bool runWhileHidden = false;
  RunOutcome outcome = RunOutcome::Done;
  cw::CCamwrightApp app;
};

std::vector<std::string> Words(const QStringList& words) {
  std::vector<std::string> arguments;
  for (const QString& word : words) arguments.push_back(word.toStdString());
  return arguments;
}

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void interactiveStartShowsTheDefaultsAndTheSplash() {
    Fixture f;
    QVERIFY(f.app.Start({}));
    QVERIFY(f.runs.empty());
    QVERIFY(!f.app.Options().autoRun);
    QCOMPARE(f.Text("sourceDemo"), QString("e1m1.dem"));
    QCOMPARE(f.Text("scriptFile"), QString("temp.cam"));
    QCOMPARE(f.Text("resultDemo"), QString("e1m1c.dem"));

    cw::CSplashWnd* splash = f.app.Splash().Current();
    QVERIFY(splash != nullptr);
    QVERIFY(splash->isVisible());
    QCOMPARE(splash->size(), QSize(392, 224));
    QVERIFY(splash->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash->geometry().center(), splash->screen()->geometry().center());
    QVERIFY(splash->Timer().isActive());
    QVERIFY(splash->Timer().isSingleShot());
    QCOMPARE(splash->Timer().interval(), 3000);

    // Clicks and keys do not take it away early; a second show makes no second splash.
    QTest::mouseClick(splash, Qt::LeftButton);
    QTest::keyClick(splash, Qt::Key_Escape);
    f.app.Splash().ShowSplash(&f.app.CreateDialog());
    QCOMPARE(f.app.Splash().Current(), splash);
    QVERIFY(splash->isVisible());

    QPointer<cw::CSplashWnd> gone = splash;
    splash->OnTimer();  // what the timer does when it fires
    QVERIFY(f.app.Splash().Current() == nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(gone.isNull());
    QVERIFY(f.platform.messages.empty());
  }

  void missingPictureMeansNoSplashAndNoMessage() {
    Fixture f(QStringLiteral(":/camwright/no-such-picture.png"));
    QVERIFY(f.app.Start({}));
    QVERIFY(f.app.Splash().Current() == nullptr);
    QVERIFY(f.platform.messages.empty());
    QCOMPARE(f.Text("sourceDemo"), QString("e1m1.dem"));
  }

  void commandLineNamesTheFilesAndRunsAtOnce_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("generate");
    QTest::addColumn<QString>("result");
    QTest::newRow("three") << QStringList{"a.dem", "b.cam", "c.dem"} << "a.dem"
                           << "b.cam" << false << "c.dem";
    QTest::newRow("two") << QStringList{"a.dem", "c.dem"} << "a.dem"
                         << "temp.cam" << true << "c.dem";
    QTest::newRow("one") << QStringList{"c.dem"} << ""
                         << "temp.cam" << true << "c.dem";
    QTest::newRow("four and more") << QStringList{"a.dem", "b.cam", "my", "result.dem"} << "a.dem"
                                   << "b.cam" << false << "my result.dem";
    QTest::newRow("quotes are part of names") << QStringList{"\"a.dem\"", "c.dem"} << "\"a.dem\""
                                              << "temp.cam" << true << "c.dem";
  }
  void commandLineNamesTheFilesAndRunsAtOnce() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, source);
    QFETCH(QString, script);
    QFETCH(bool, generate);
    QFETCH(QString, result);
    Fixture f;
    QVERIFY(!f.app.Start(Words(arguments)));  // the run ended the program
    QVERIFY(f.app.CreateDialog().IsClosed());
    QCOMPARE(f.runs.size(), std::size_t{1});
    QVERIFY(f.runWhileHidden);  // during the initialisation
    const RefilmOptions& run = f.runs[0];
    QVERIFY(run.autoRun);
    QCOMPARE(QString::fromStdString(run.sourceDemo), source);
    QCOMPARE(QString::fromStdString(run.scriptFile), script);
    QCOMPARE(run.generateScript, generate);
    QCOMPARE(QString::fromStdString(run.resultDemo), result);
    // Every other option at its default.
    RefilmOptions expected;
    expected.sourceDemo = run.sourceDemo;
    expected.scriptFile = run.scriptFile;
    expected.resultDemo = run.resultDemo;
    expected.generateScript = run.generateScript;
    expected.autoRun = true;
    QVERIFY(run.playWhenDone == expected.playWhenDone && run.fadeOut == expected.fadeOut &&
            run.removePrint == expected.removePrint && run.setFps == expected.setFps && run.fps == expected.fps &&
            run.shirtColor == expected.shirtColor && run.pantsColor == expected.pantsColor && run.chainName.empty() &&
            run.runBy.empty());
    QVERIFY(f.app.Splash().Current() == nullptr);
  }

  void refusedAutomaticRunKeepsTheDialogAndAutoRun() {
    Fixture f;
    f.outcome = RunOutcome::Refused;
    QVERIFY(f.app.Start(Words({"c.dem"})));
    QVERIFY(f.app.Splash().Current() == nullptr);
    QVERIFY(f.app.Options().autoRun);
    QCOMPARE(f.Text("sourceDemo"), QString(""));  // the command line's names, not the defaults
    QCOMPARE(f.Text("resultDemo"), QString("c.dem"));
    // A later Go behaves as an automatic run: the program ends after it.
    f.outcome = RunOutcome::Done;
    f.app.CreateDialog().OnGo();
    QCOMPARE(f.runs.size(), std::size_t{2});
    QVERIFY(f.runs[1].autoRun);
    QVERIFY(f.app.CreateDialog().IsClosed());
  }

  // The dialog's controls carry the command line's options to the run, the
  // colours too, and the fields of an option given are ready to edit.
  void commandLineOptionsReachTheRun() {
    Fixture f;
    f.outcome = RunOutcome::Refused;
    const cw::Arguments words = cw::ParseArguments(
        {"--shirt", "blue", "--fps=30", "--run-by", "Ann", "--no-bleeding", "--play", "a.dem", "c.dem"});
    QVERIFY(f.app.StartWith(words.options));
    QCOMPARE(f.runs.size(), std::size_t{1});
    const RefilmOptions& run = f.runs[0];
    QVERIFY(run.changeColors && run.setFps && run.printCredits && !run.playerBleeding && run.playAfterAutoRun);
    QCOMPARE(run.shirtColor, 13);
    QCOMPARE(run.pantsColor, 4);
    QCOMPARE(run.fps, 30);
    QCOMPARE(QString::fromStdString(run.runBy), QString("Ann"));
    for (const char* field : {"shirtColor", "pantsColor", "fps", "runBy", "filmingBy"}) {
      QVERIFY2(f.app.CreateDialog().findChild<QWidget*>(field)->isEnabled(), field);
    }
    QVERIFY(!f.app.CreateDialog().findChild<QWidget*>("chainName")->isEnabled());
  }

  void automaticRunWithProblemsAlsoEndsTheProgram() {
    Fixture f;
    f.outcome = RunOutcome::DoneWithProblems;
    QVERIFY(!f.app.Start(Words({"a.dem", "c.dem"})));
  }
};

}  // namespace

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
