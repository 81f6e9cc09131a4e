#include "console/progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <ostream>

#include "console/terminal.h"

namespace cw {
namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;
constexpr int kNarrowestBar = 10;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace

std::string Duration(double seconds) {
  const long whole = std::lround(std::max(0.0, std::min(seconds, 360000.0)));
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  }
  return text;
}

std::string ProgressLine(const ProgressFigures& figures, int columns) {
  double fraction = 0;
  if (figures.bytes > 0) {
    fraction = figures.bytesDone / figures.bytes;
  } else if (figures.demos > 0) {
    fraction = static_cast<double>(figures.demosDone) / figures.demos;
  }
  fraction = std::clamp(fraction, 0.0, 1.0);

  std::string text;
  if (figures.demos > 0) {
    text += std::to_string(figures.demosDone) + "/" + std::to_string(figures.demos) + " demos";
  } else {
    text += std::to_string(static_cast<int>(fraction * 100)) + "%";
  }
  if (figures.bytes > 0) {
    text += "  " + Fixed(figures.bytesDone / kMegabyte, 1) + "/" + Fixed(figures.bytes / kMegabyte, 1) + " MB";
  }
  if (figures.seconds >= 0.1) {
    const double rate = figures.bytesDone / figures.seconds;
    if (figures.bytes > 0) text += "  " + Fixed(rate / kMegabyte, 1) + " MB/s";
    text += "  " + (rate > 0 && figures.bytes > 0 ? Duration((figures.bytes - figures.bytesDone) / rate) : "-:--") +
            " left";
  }

  const int room = std::max(columns, 1) - 1;
  const int barWidth = room - static_cast<int>(text.size()) - 3;  // "[", "] "
  if (barWidth < kNarrowestBar) return text.substr(0, static_cast<std::size_t>(room));
  const auto filled = static_cast<std::size_t>(fraction * barWidth);
  return "[" + std::string(filled, '#') + std::string(static_cast<std::size_t>(barWidth) - filled, '-') + "] " + text;
}

ProgressBar::ProgressBar(std::ostream& stream) : err(stream), terminal(IsTerminal(stream)) {}

ProgressBar::~ProgressBar() { Clear(); }

void ProgressBar::Draw(const ProgressFigures& figures) {
  if (!terminal) return;
  // "\033[K" wipes what a longer line before left to the right.
  err << '\r' << ProgressLine(figures, TerminalColumns(err)) << "\033[K" << std::flush;
  drawn = true;
}

void ProgressBar::Clear() {
  if (!drawn) return;
  err << "\r\033[K" << std::flush;
  drawn = false;
}

ProgressConsolePlatform::ProgressConsolePlatform(std::ostream& output, std::ostream& errors, const std::string& source,
                                                 Clock::duration wait)
    : ConsolePlatform(output, errors),
      bar(errors),
      start(Clock::now()),
      lastDrawn(start - kRedrawInterval),
      delay(wait) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(source, error);
  if (!error) bytes = static_cast<double>(size);
}

MessageAnswer ProgressConsolePlatform::MessageBox(const std::string& text, const std::string& caption,
                                                  MessageKind kind) {
  bar.Clear();
  return ConsolePlatform::MessageBox(text, caption, kind);
}

void ProgressConsolePlatform::RunCommand(const std::string& commandLine) {
  bar.Clear();
  ConsolePlatform::RunCommand(commandLine);
}

void ProgressConsolePlatform::Progress(double fraction) {
  if (!bar.Active()) return;
  const Clock::time_point now = Clock::now();
  if (now - start < delay || now - lastDrawn < kRedrawInterval) return;
  lastDrawn = now;
  ProgressFigures figures;
  figures.bytes = bytes;
  figures.bytesDone = bytes * fraction;
  figures.seconds = std::chrono::duration<double>(now - start).count();
  bar.Draw(figures);
}

}  // namespace cw
