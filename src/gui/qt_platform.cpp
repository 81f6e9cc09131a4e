#include "qt_platform.h"

#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QMessageBox>

#include "console/stop_signals.h"
#include "film/film_setup.h"
#include "shell_command.h"

namespace cw {

MessageAnswer QtPlatform::MessageBox(const std::string& text, const std::string& caption, MessageKind kind) {
  QMessageBox box(owner_);
  box.setWindowTitle(QString::fromStdString(caption));
  // File names may hold '<' or '&': never let the box read them as markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromStdString(text));
  box.setWindowModality(Qt::ApplicationModal);
  switch (kind) {
    case MessageKind::Error:
      box.setIcon(QMessageBox::Warning);
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MessageKind::Report:
      box.setIcon(QMessageBox::Information);
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MessageKind::Question:
      box.setIcon(QMessageBox::Question);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      break;
  }
  const int pressed = box.exec();
  if (kind != MessageKind::Question) return MessageAnswer::Ok;
  return pressed == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void QtPlatform::RunCommand(const std::string& commandLine) {
  const bool local = ExecutableInCurrentDirectory(ProgramOf(commandLine));
  const std::string line = ShellLineFor(commandLine, local);
  // Blocks until the command ends, like the rest of the run; the dialog does
  // not respond meanwhile. The exit status means nothing to us.
  QProcess::execute("/bin/sh", {"-c", QFile::decodeName(QByteArray::fromStdString(line))});
}

std::optional<std::string> QtPlatform::OpenDemoFile() {
  // QFileDialog never changes the process's current directory, so relative
  // names typed in the dialog keep meaning what they meant.
  const QString chosen = QFileDialog::getOpenFileName(owner_, QString(), QString(), kDemoFileFilter);
  if (chosen.isEmpty()) return std::nullopt;
  return QFile::encodeName(chosen).toStdString();
}

bool QtPlatform::StopRequested() { return StopSignals::Requested(); }

bool QtPlatform::FindsProgram(const std::string& program) {
  const Environment environment = ProcessEnvironment();
  if (program == "play") return !FindPlayProgram(environment).empty();
  return ExecutableInCurrentDirectory(program) || !FindProgram(program, environment).empty();
}

}  // namespace cw
