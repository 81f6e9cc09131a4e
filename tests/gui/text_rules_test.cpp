// The dialog's text rules: names derived from names, the frame-rate number,
// and the shell line of the play command.
#include <QtTest/QtTest>

#include "name_rules.h"
#include "refilm/option_values.h"
#include "shell_command.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

class TextRulesTest : public QObject {
  Q_OBJECT

 private slots:
  void namesWhileTyping_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("typing");
    QTest::addColumn<QString>("browse");
    QTest::newRow("no dot") << "e1m1"
                            << "e1m1c"
                            << "c.dem";
    QTest::newRow("extension") << "e1m1.dem"
                               << "e1m1c.dem"
                               << "e1m1c.dem";
    QTest::newRow("two dots") << "e1m1.v2.dem"
                              << "e1m1c.dem"
                              << "e1m1c.dem";
    QTest::newRow("parent directory") << "../demos/e1m1.dem"
                                      << "c.dem"
                                      << "c.dem";
    QTest::newRow("dot in directory") << "/home/j.smith/e1m1.dem"
                                      << "/home/jc.dem"
                                      << "/home/jc.dem";
    QTest::newRow("empty") << ""
                           << "c"
                           << "c.dem";
  }
  void namesWhileTyping() {
    QFETCH(QString, source);
    QFETCH(QString, typing);
    QFETCH(QString, browse);
    QCOMPARE(Q(cw::ResultWhileTyping(source.toStdString())), typing);
    QCOMPARE(Q(cw::ResultAfterBrowse(source.toStdString())), browse);
  }

  void leavingTheSource_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QString>("sourceAfter");
    QTest::addColumn<QString>("resultAfter");
    QTest::newRow("no dot gets .dem") << "e1m1" << true << "e1m1.dem"
                                      << "e1m1c.dem";
    QTest::newRow("extension kept") << "e1m1.xyz" << true << "e1m1.xyz"
                                    << "e1m1c.dem";
    QTest::newRow("parent directory") << "../e1m1.dem" << true << "../e1m1.dem"
                                      << "c.dem";
    QTest::newRow("empty changes nothing") << "" << false << ""
                                           << "untouched";
  }
  void leavingTheSource() {
    QFETCH(QString, source);
    QFETCH(bool, changed);
    QFETCH(QString, sourceAfter);
    QFETCH(QString, resultAfter);
    std::string sourceDemo = source.toStdString();
    std::string resultDemo = "untouched";
    QCOMPARE(cw::LeaveSource(sourceDemo, resultDemo), changed);
    QCOMPARE(Q(sourceDemo), sourceAfter);
    QCOMPARE(Q(resultDemo), resultAfter);
  }

  void leavingTheScript_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("after");
    QTest::newRow("empty") << ""
                           << "example.cam";
    QTest::newRow("no dot") << "intro"
                            << "intro.cam";
    QTest::newRow("own extension") << "intro.txt"
                                   << "intro.txt";
    QTest::newRow("dot in directory only") << "cams.v2/intro"
                                           << "cams.v2/intro";
  }
  void leavingTheScript() {
    QFETCH(QString, script);
    QFETCH(QString, after);
    std::string scriptFile = script.toStdString();
    cw::LeaveScript(scriptFile);
    QCOMPARE(Q(scriptFile), after);
  }

  void integers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isInteger");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "20" << true << 20;
    QTest::newRow("blanks around") << " \t35 " << true << 35;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("minus") << "-5" << true << -5;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "  " << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("two signs") << "+-5" << false << 0;
    QTest::newRow("letters after") << "20fps" << false << 0;
    QTest::newRow("blank inside") << "2 0" << false << 0;
    QTest::newRow("decimal") << "20.5" << false << 0;
    QTest::newRow("exponent") << "1e2" << false << 0;
    QTest::newRow("too big for int") << "99999999999" << false << 0;
    QTest::newRow("largest int") << "2147483647" << true << 2147483647;
  }
  void integers() {
    QFETCH(QString, text);
    QFETCH(bool, isInteger);
    QFETCH(int, value);
    const std::optional<int> parsed = cw::ParseInteger(text.toStdString());
    QCOMPARE(parsed.has_value(), isInteger);
    if (isInteger) QCOMPARE(*parsed, value);
  }

  void shellLines_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<bool>("local");
    QTest::addColumn<QString>("line");
    QTest::newRow("search path") << "play e1m1c.dem" << false << "'play' 'e1m1c.dem'";
    QTest::newRow("current directory") << "play e1m1c.dem" << true << "'./play' 'e1m1c.dem'";
    QTest::newRow("spaces stay one argument") << "play my demo.dem" << false << "'play' 'my demo.dem'";
    QTest::newRow("quote") << "play it's.dem" << false << "'play' 'it'\\''s.dem'";
    QTest::newRow("shell characters") << "play $(rm x);`y`|z&.dem" << false << "'play' '$(rm x);`y`|z&.dem'";
    QTest::newRow("no argument") << "play" << false << "'play'";
  }
  void shellLines() {
    QFETCH(QString, commandLine);
    QFETCH(bool, local);
    QFETCH(QString, line);
    QCOMPARE(Q(cw::ShellLineFor(commandLine.toStdString(), local)), line);
  }
};

}  // namespace

QTEST_APPLESS_MAIN(TextRulesTest)
#include "text_rules_test.moc"
