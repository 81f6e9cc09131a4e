// The dialog and start-up with the real refilm, in a temporary current
// directory: what the user sees of a run started from each place.
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "camwright_app.h"
#include "recording_platform.h"
#include "run/refilm_run.h"

namespace {

void WriteFile(const QString& name, const QByteArray& bytes) {
  QFile file(name);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// The program with the real refilm behind it.
struct RealApp {
  cw::test::RecordingPlatform platform;
  cw::RefilmSession session;
  cw::CCamwrightApp app{platform, [this](cw::RefilmOptions& o, cw::Platform& p) { return session.Run(o, p); }};
};

// Go pressed in the dialog with this script and "Generate automaticly" so.
void PressGo(cw::CCamwrightApp& app, cw::CCamwrightDlg& dialog, const std::string& script, bool generate) {
  app.Options().scriptFile = script;
  app.Options().generateScript = generate;
  dialog.WriteControls();
  dialog.OnGo();
}

class RealRunTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    previous_ = QDir::currentPath();
    directory_ = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(directory_->path()));
  }
  void cleanup() {
    QDir::setCurrent(previous_);
    directory_.reset();
  }

  // The run names the source as the field held it when Go was pressed.
  void goClickedAddsTheExtensionEnterDoesNot_data() {
    QTest::addColumn<bool>("click");
    QTest::addColumn<QString>("message");
    QTest::newRow("click") << true << "The source file \"e1m1.dem\" doesn't exist";
    QTest::newRow("Enter") << false << "The source file \"e1m1\" doesn't exist";
  }
  void goClickedAddsTheExtensionEnterDoesNot() {
    QFETCH(bool, click);
    QFETCH(QString, message);
    RealApp run;
    auto& [platform, session, app] = run;
    QVERIFY(app.Start({}));
    // The offscreen platform activates every window shown, the splash too
    // (a real window system leaves the keyboard with the dialog): take it away.
    app.Splash().HideSplash();
    cw::CCamwrightDlg& dialog = app.CreateDialog();
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* source = dialog.findChild<QLineEdit*>("sourceDemo");
    source->selectAll();
    QTest::keyClicks(source, "e1m1");
    if (click) {
      QTest::mouseClick(dialog.findChild<QPushButton*>("go"), Qt::LeftButton);
    } else {
      QTest::keyClick(source, Qt::Key_Return);
    }
    QCOMPARE(platform.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(platform.messages[0].caption), QString("Error"));
    QCOMPARE(QString::fromStdString(platform.messages[0].text), message);
    QVERIFY(!dialog.IsClosed());
  }

  void interactiveRunReportsAndPlays() {
    WriteFile("e1m1.dem", "-1\n");
    WriteFile("mine.cam", "");
    RealApp run;
    auto& [platform, session, app] = run;
    QVERIFY(app.Start({}));
    cw::CCamwrightDlg& dialog = app.CreateDialog();
    PressGo(app, dialog, "mine.cam", false);
    QCOMPARE(platform.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(platform.messages[0].caption), QString("Done"));
    QCOMPARE(QString::fromStdString(platform.messages[0].text), QString("e1m1.dem refilmed to e1m1c.dem succesfully."));
    QCOMPARE(platform.commands, std::vector<std::string>{"play e1m1c.dem"});
    QVERIFY(QFile::exists("e1m1c.dem"));
    QVERIFY(!dialog.IsClosed());
  }

  void automaticRunIsSilentAndEndsTheProgram() {
    WriteFile("in.dem", "-1\n");
    WriteFile("mine.cam", "");
    RealApp run;
    auto& [platform, session, app] = run;
    QVERIFY(!app.Start({"in.dem", "mine.cam", "out.dem"}));
    QVERIFY(platform.messages.empty());
    QVERIFY(platform.commands.empty());
    QFile result("out.dem");
    QVERIFY(result.open(QIODevice::ReadOnly));
    QVERIFY(result.readAll().startsWith("-1\n"));
  }

  // The dialog's button with names typed: the fields as given, Go pressed.
  void refusesToReplaceAFileThatIsNoDemo() {
    WriteFile("e1m1.dem", "-1\n");
    WriteFile("mine.cam", "");
    WriteFile("notes.txt", "my notes\n");
    RealApp run;
    auto& [platform, session, app] = run;
    QVERIFY(app.Start({}));
    cw::CCamwrightDlg& dialog = app.CreateDialog();
    app.Options().resultDemo = "notes.txt";
    PressGo(app, dialog, "mine.cam", false);
    QCOMPARE(platform.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(platform.messages[0].caption), QString("Error"));
    QCOMPARE(QString::fromStdString(platform.messages[0].text),
             QString("The destination file \"notes.txt\" exists and is not a demo."));
    QFile notes("notes.txt");
    QVERIFY(notes.open(QIODevice::ReadOnly));
    QCOMPARE(notes.readAll(), QByteArray("my notes\n"));
    QVERIFY(platform.commands.empty());
  }

  // "Generate automaticly" is on by default: the user's script is kept as
  // NAME~, and the report says so, with the script's mistakes.
  void keepsTheUsersScriptAndTellsItsMistakes() {
    WriteFile("e1m1.dem", "-1\n");
    WriteFile("mine.cam", "0 stay 1 2 3\n1 bogus words\n");
    WriteFile("film.cam", "0 stay 1 2 3\n1 bogus words\n");
    RealApp run;
    auto& [platform, session, app] = run;
    QVERIFY(app.Start({}));
    cw::CCamwrightDlg& dialog = app.CreateDialog();
    PressGo(app, dialog, "mine.cam", true);
    QCOMPARE(platform.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(platform.messages[0].caption), QString("Done"));
    QCOMPARE(QString::fromStdString(platform.messages[0].text),
             QString("e1m1.dem refilmed to e1m1c.dem succesfully.\n\nThe script file \"mine.cam\" was not "
                     "generated by camwright, or was edited since: it is kept as \"mine.cam~\", and the generated "
                     "script takes its name."));
    QFile kept("mine.cam~");
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("0 stay 1 2 3\n1 bogus words\n"));

    platform.messages.clear();
    PressGo(app, dialog, "film.cam", false);
    QCOMPARE(platform.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(platform.messages[0].text),
             QString("e1m1.dem refilmed to e1m1c.dem succesfully.\n\nfilm.cam: 1 line is read otherwise than it "
                     "looks; camwright-cli check film.cam lists it"));
  }

  void automaticRunLeavesTheScriptsMistakesToCheck() {
    WriteFile("in.dem", "-1\n");
    WriteFile("film.cam", "1 bogus words\n");
    RealApp run;
    auto& [platform, session, app] = run;
    QVERIFY(!app.Start({"in.dem", "film.cam", "out.dem"}));
    QVERIFY(platform.messages.empty());
    QVERIFY(QFile::exists("out.dem"));
  }

  void automaticRunWithoutSourceKeepsTheDialog() {
    RealApp run;
    auto& [platform, session, app] = run;
    QVERIFY(app.Start({"out.dem"}));
    QCOMPARE(platform.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(platform.messages[0].text), QString("You must specify a source file."));
    QVERIFY(!QFile::exists("out.dem"));
  }

 private:
  QString previous_;
  std::unique_ptr<QTemporaryDir> directory_;
};

}  // namespace

QTEST_MAIN(RealRunTest)
#include "real_run_test.moc"
