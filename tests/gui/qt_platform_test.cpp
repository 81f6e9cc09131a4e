// The Qt platform: its message boxes, its file chooser, and the play command
// run through the shell against a fake "play" that records its arguments.
#include "qt_platform.h"

#include <QtTest/QtTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QMessageBox>

namespace {

// Runs `work` on the next modal window once it is up.
void WhenModalOpens(std::function<void(QWidget*)> work) {
  QTimer::singleShot(0, [work] {
    QWidget* modal = QApplication::activeModalWidget();
    QVERIFY(modal != nullptr);
    work(modal);
  });
}

// A "play" that writes how many arguments it got, then each on its own line,
// into the file `record`, and fails (its status must not matter).
void WriteFakePlay(const QString& path, const QString& record) {
  QFile script(path);
  QVERIFY(script.open(QIODevice::WriteOnly));
  script.write(QString("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '%1'\nexit 3\n").arg(record).toUtf8());
  script.close();
  QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

QStringList Lines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

class QtPlatformTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    previousDirectory_ = QDir::currentPath();
    previousPath_ = qgetenv("PATH");
    QVERIFY(work_.isValid());
    QDir(work_.path()).mkpath("here");
    QDir(work_.path()).mkpath("bin");
    QVERIFY(QDir::setCurrent(work_.path() + "/here"));
  }
  void cleanup() {
    QDir::setCurrent(previousDirectory_);
    qputenv("PATH", previousPath_);
    QFile::remove(work_.path() + "/here/play");
    QFile::remove(work_.path() + "/bin/play");
    QFile::remove(work_.path() + "/local.txt");
    QFile::remove(work_.path() + "/path.txt");
  }

  void playGetsTheNameAsOneArgument_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "e1m1c.dem";
    QTest::newRow("spaces") << "my  demo c.dem";
    QTest::newRow("shell characters") << "it's $HOME `id` $(id); a|b & c > d.dem";
    QTest::newRow("longer than 74") << QString(120, 'x') + ".dem";
  }
  void playGetsTheNameAsOneArgument() {
    QFETCH(QString, name);
    WriteFakePlay(work_.path() + "/here/play", work_.path() + "/local.txt");
    cw::QtPlatform platform;
    platform.RunCommand(("play " + name).toStdString());
    QCOMPARE(Lines(work_.path() + "/local.txt"), (QStringList{"1", name}));
  }

  void playInTheCurrentDirectoryComesBeforeTheSearchPath() {
    WriteFakePlay(work_.path() + "/here/play", work_.path() + "/local.txt");
    WriteFakePlay(work_.path() + "/bin/play", work_.path() + "/path.txt");
    qputenv("PATH", (work_.path() + "/bin:" + previousPath_).toUtf8());
    cw::QtPlatform platform;
    platform.RunCommand("play a.dem");
    QCOMPARE(Lines(work_.path() + "/local.txt"), (QStringList{"1", "a.dem"}));
    QVERIFY(!QFile::exists(work_.path() + "/path.txt"));

    QFile::remove(work_.path() + "/here/play");
    platform.RunCommand("play b.dem");
    QCOMPARE(Lines(work_.path() + "/path.txt"), (QStringList{"1", "b.dem"}));
  }

  void messageBoxesShowTheirKind_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("answer");
    QTest::newRow("error") << int(cw::MessageKind::Error) << int(QMessageBox::Warning) << QStringList{"OK"} << "OK"
                           << int(cw::MessageAnswer::Ok);
    QTest::newRow("report") << int(cw::MessageKind::Report) << int(QMessageBox::Information) << QStringList{"OK"}
                            << "OK" << int(cw::MessageAnswer::Ok);
    QTest::newRow("question, yes") << int(cw::MessageKind::Question) << int(QMessageBox::Question)
                                   << QStringList{"No", "Yes"} << "Yes" << int(cw::MessageAnswer::Yes);
    QTest::newRow("question, no") << int(cw::MessageKind::Question) << int(QMessageBox::Question)
                                  << QStringList{"No", "Yes"} << "No" << int(cw::MessageAnswer::No);
  }
  void messageBoxesShowTheirKind() {
    QFETCH(int, kind);
    QFETCH(int, icon);
    QFETCH(QStringList, buttons);
    QFETCH(QString, press);
    QFETCH(int, answer);
    QWidget owner;
    owner.show();
    cw::QtPlatform platform;
    platform.SetOwner(&owner);
    const QString text = "The source file \"<b>x&amp;.dem</b>\" doesn't exist";
    WhenModalOpens([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box != nullptr);
      QCOMPARE(box->parentWidget(), &owner);
      QCOMPARE(box->windowTitle(), QString("Error"));
      QCOMPARE(box->text(), text);
      QCOMPARE(box->textFormat(), Qt::PlainText);  // names are never markup
      QCOMPARE(int(box->icon()), icon);
      QStringList shown;
      QAbstractButton* toPress = nullptr;
      for (QAbstractButton* button : box->buttons()) {
        const QString label = button->text().remove('&');
        shown << label;
        if (label == press) toPress = button;
      }
      shown.sort();
      QCOMPARE(shown, buttons);
      QVERIFY(toPress != nullptr);
      toPress->click();
    });
    const cw::MessageAnswer got = platform.MessageBox(text.toStdString(), "Error", cw::MessageKind(kind));
    QCOMPARE(int(got), answer);
  }

  void fileChooserOffersDemosAndLeavesTheCurrentDirectory_data() {
    QTest::addColumn<bool>("choose");
    QTest::newRow("chosen") << true;
    QTest::newRow("cancelled") << false;
  }
  void fileChooserOffersDemosAndLeavesTheCurrentDirectory() {
    QFETCH(bool, choose);
    QDir(work_.path()).mkpath("demos");
    const QString demo = work_.path() + "/demos/e2m3.dem";
    QFile file(demo);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString before = QDir::currentPath();
    cw::QtPlatform platform;
    WhenModalOpens([&](QWidget* modal) {
      auto* chooser = qobject_cast<QFileDialog*>(modal);
      QVERIFY(chooser != nullptr);
      QCOMPARE(chooser->nameFilters(), QStringList{"Quake demo files (*.dem)"});
      QCOMPARE(chooser->fileMode(), QFileDialog::ExistingFile);
      if (choose) {
        chooser->setDirectory(work_.path() + "/demos");
        chooser->selectFile("e2m3.dem");
        QMetaObject::invokeMethod(chooser, "accept");
      } else {
        chooser->reject();
      }
    });
    const std::optional<std::string> chosen = platform.OpenDemoFile();
    QCOMPARE(chosen.has_value(), choose);
    if (choose) QCOMPARE(QString::fromStdString(*chosen), demo);
    QCOMPARE(QDir::currentPath(), before);
  }

 private:
  QTemporaryDir work_;
  QString previousDirectory_;
  QByteArray previousPath_;
};

}  // namespace

QTEST_MAIN(QtPlatformTest)
#include "qt_platform_test.moc"
