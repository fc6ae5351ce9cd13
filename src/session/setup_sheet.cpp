#include "session/setup_sheet.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "files/atomic_file.h"
#include "files/file_names.h"
#include "params/ignition_parameters.h"
#include "session/pdf_page.h"
#include "session/session.h"
#include "texts/note_texts.h"
#include "texts/printable.h"
#include "texts/texts.h"

namespace qm17 {
namespace {

using Face = PdfPage::Face;
using Align = PdfPage::Align;

constexpr double kLeft = 50;
constexpr double kRight = 545;

std::string Caption(Language language, std::string_view element, std::string_view property) {
  for (const UiTextRow& row : UiTextTable()) {
    if (row.element == element && row.property == property)
      return row.text[static_cast<std::size_t>(language)];
  }
  return {};
}

std::string PolarityItem(Language language, int item) {
  const std::string items = Caption(language, "RadioGroupPolarita", "items");
  std::size_t start = 0;
  for (int i = 0; i < item && start != std::string::npos; ++i) {
    start = items.find('\n', start);
    if (start != std::string::npos) ++start;
  }
  if (start == std::string::npos) return {};
  return items.substr(start, items.find('\n', start) - start);
}

// The longest start of `text` (whole characters) that fits `width`, ending at a space where
// one is near enough.
std::size_t FittingLength(const PdfPage& page, std::string_view text, double size, double width) {
  std::size_t fits = 0;
  for (std::size_t end = 1; end <= text.size(); ++end) {
    if (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) continue;
    if (page.TextWidth(text.substr(0, end), size) > width) break;
    fits = end;
  }
  if (fits == text.size() || fits == 0) return fits;
  const std::size_t space = text.substr(0, fits + 1).rfind(' ');
  return space != std::string_view::npos && space > fits / 2 ? space + 1 : fits;
}

// The note in lines that fit the page's width, at most `maxLines`; a cut shows "…".
std::vector<std::string> NoteLines(const PdfPage& page, std::string_view note, double size,
                                   std::size_t maxLines) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= note.size() && lines.size() <= maxLines) {
    const std::size_t end = std::min(note.find('\n', start), note.size());
    std::string_view rest = note.substr(start, end - start);
    do {
      const std::size_t length =
          rest.empty() ? 0
                       : std::max<std::size_t>(1, FittingLength(page, rest, size, kRight - kLeft));
      lines.emplace_back(rest.substr(0, length));
      rest.remove_prefix(length);
    } while (!rest.empty() && lines.size() <= maxLines);
    start = end + 1;
  }
  if (lines.size() > maxLines) {
    lines.resize(maxLines);
    std::string& last = lines.back();
    while (!last.empty() && page.TextWidth(last + "…", size) > kRight - kLeft) {
      do last.pop_back();
      while (!last.empty() && (static_cast<unsigned char>(last.back()) & 0xC0) == 0x80);
      if (!last.empty() && (static_cast<unsigned char>(last.back()) & 0xC0) == 0xC0)
        last.pop_back();
    }
    last += "…";
  }
  return lines;
}

void DrawCurve(PdfPage& page, const SetupSheet& sheet, const IgnitionParameters& p, double bottom,
               double top) {
  const double left = kLeft + 40;
  const double right = kRight - 5;
  const int highest = std::max({p.limiterRpm, p.startLimiterRpm, p.shiftLightRpm,
                                p.pointSpeedRpm[static_cast<std::size_t>(p.pointCount - 1)]});
  // As the curve window: half a thousand of room, then the next whole thousand.
  const double maxRpm = std::max(1000.0, std::ceil((highest + 500) / 1000.0) * 1000.0);
  constexpr double kMaxAdvance = 60;
  const auto x = [&](double rpm) { return left + rpm / maxRpm * (right - left); };
  const auto y = [&](double advance) { return bottom + advance / kMaxAdvance * (top - bottom); };

  page.SetLineWidth(0.4);
  page.SetColour(0.84, 0.84, 0.84);
  for (int a = 0; a <= 60; a += 5) page.Line(left, y(a), right, y(a));
  const int step = maxRpm > 12000 ? 2000 : 1000;
  for (int r = 0; r <= maxRpm; r += 1000) page.Line(x(r), bottom, x(r), top);
  page.SetColour(0, 0, 0);
  for (int r = 0; r <= maxRpm; r += step)
    page.Text(x(r), bottom - 11, 8, std::to_string(r), Face::Regular, Align::Centre);
  for (int a = 0; a <= 60; a += 10)
    page.Text(left - 4, y(a) - 3, 8, std::to_string(a), Face::Regular, Align::Right);
  page.SetLineWidth(0.8);
  page.Box(left, bottom, right - left, top - bottom, false);
  page.Text((left + right) / 2, bottom - 24, 9, CurveViewText(sheet.language, CurveAxisSpeed),
            Face::Regular, Align::Centre);
  page.UprightText(left - 22, (bottom + top) / 2, 9,
                   CurveViewText(sheet.language, CurveAxisAdvance));

  // The base advance across, the limiters and the shift light upright, each named.
  page.SetLineWidth(1, 4);
  page.SetColour(0.86, 0.47, 0);
  page.Line(left, y(p.baseAdvance), right, y(p.baseAdvance));
  struct Upright {
    int rpm;
    double red, green, blue, dash;
    int label;
  };
  const Upright uprights[] = {{p.startLimiterRpm, 0, 0.55, 0.55, 4, CurveLegendStartLimiter},
                              {p.shiftLightRpm, 0.51, 0, 0.75, 2, CurveLegendShiftLight},
                              {p.limiterRpm, 0.82, 0, 0, 0, CurveLegendLimiter}};
  double labelY = top - 10;
  for (const Upright& line : uprights) {
    page.SetColour(line.red, line.green, line.blue);
    page.SetLineWidth(1, line.dash);
    page.Line(x(line.rpm), bottom, x(line.rpm), top);
    const std::string label = CurveViewText(sheet.language, line.label);
    const bool fitsRight = x(line.rpm) + 3 + page.TextWidth(label, 7) <= right;
    page.Text(fitsRight ? x(line.rpm) + 3 : x(line.rpm) - 3, labelY, 7, label, Face::Regular,
              fitsRight ? Align::Left : Align::Right);
    labelY -= 9;
  }

  page.SetColour(0, 0, 0.78);
  page.SetLineWidth(1.5);
  for (int i = 0; i < p.pointCount; ++i) {
    const double px = x(p.pointSpeedRpm[static_cast<std::size_t>(i)]);
    const double py = y(p.pointAdvance[static_cast<std::size_t>(i)]);
    if (i == 0) {
      page.MoveTo(px, py);
    } else {
      page.LineTo(px, py);
    }
  }
  page.StrokePath();
  for (int i = 0; i < p.pointCount; ++i) {
    page.Box(x(p.pointSpeedRpm[static_cast<std::size_t>(i)]) - 2.5,
             y(p.pointAdvance[static_cast<std::size_t>(i)]) - 2.5, 5, 5, true);
  }
  page.SetColour(0, 0, 0);
}

}  // namespace

SetupSheet SheetOfSession(const Session& session, std::optional<std::uint16_t> programCount,
                          std::chrono::system_clock::time_point now) {
  SetupSheet sheet;
  sheet.language = session.CurrentLanguage();
  sheet.image = session.Image();
  sheet.note = session.Note();
  sheet.file = session.FileName();
  const IdentificationTexts& id = session.LinkState().identification();
  sheet.unitVersion = id.version;
  sheet.unitDate = id.date;
  sheet.unitTime = id.time;
  sheet.programCount = programCount;
  sheet.madeAt = SheetTimeText(now);
  return sheet;
}

std::string SheetTimeText(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  // One thread asks; the standard's own call is the same on every system.
  const std::tm* local = std::localtime(&seconds);
  if (local == nullptr) return {};
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", local);
  return text;
}

std::string SetupSheetPdf(const SetupSheet& sheet) {
  const Language language = sheet.language;
  const auto text = [language](int id) { return std::string(NoteText(language, id)); };
  const IgnitionParameters p = ParametersFromImage(sheet.image);
  PdfPage page;

  double y = 790;
  page.Text(kLeft, y, 16, text(SheetTitle), Face::Bold);
  y -= 24;
  const auto infoLine = [&](const std::string& caption, const std::string& value) {
    page.Text(kLeft, y, 10, caption, Face::Bold);
    page.Text(kLeft + 60, y, 10, value);
    y -= 14;
  };
  // A long name keeps its start and its end within the page.
  infoLine(Caption(language, "LabelFile1", "caption"),
           sheet.file.empty() ? text(SheetNoFile) : ShortenedMiddle(Printable(sheet.file), 75));
  std::string unit = sheet.unitVersion + "  " + sheet.unitDate + "  " + sheet.unitTime;
  if (sheet.unitVersion.empty() && sheet.unitDate.empty()) unit = text(SheetUnitNotKnown);
  if (sheet.programCount)
    unit += "    " + MessageTexts(language, MsgProgramCountPrefix) +
            std::to_string(*sheet.programCount);
  infoLine(text(SheetUnit), unit);
  infoLine(text(SheetDate), sheet.madeAt);
  page.SetLineWidth(0.6);
  page.Line(kLeft, y + 4, kRight, y + 4);

  // The curve table: the points in use, as the window shows them.
  const double tableTop = y - 16;
  y = tableTop;
  page.Text(kLeft, y, 9, text(SheetPoint), Face::Bold);
  page.Text(kLeft + 150, y, 9, CurveViewText(language, CurveAxisSpeed), Face::Bold, Align::Right);
  page.Text(kLeft + 225, y, 9, Caption(language, "LabelAdvance1", "caption"), Face::Bold,
            Align::Right);
  for (int i = 0; i < p.pointCount; ++i) {
    y -= 13;
    const auto at = static_cast<std::size_t>(i);
    page.Text(kLeft + 15, y, 10, std::to_string(i + 1), Face::Regular, Align::Right);
    page.Text(kLeft + 150, y, 10, std::to_string(p.pointSpeedRpm[at]), Face::Regular, Align::Right);
    page.Text(kLeft + 225, y, 10, std::to_string(p.pointAdvance[at]), Face::Regular, Align::Right);
  }

  // The other parameters with the window's captions.
  y = tableTop;
  const auto parameter = [&](const char* element, const std::string& value) {
    page.Text(kLeft + 265, y, 10, Caption(language, element, "caption"));
    page.Text(kRight, y, 10, value, Face::Regular, Align::Right);
    y -= 15;
  };
  parameter("LabelPocetBodu", std::to_string(p.pointCount));
  parameter("LabelBaseAdv", std::to_string(p.baseAdvance));
  parameter("LabelOmez1", std::to_string(p.startLimiterRpm));
  parameter("LabelOmez2", std::to_string(p.limiterRpm));
  parameter("LabelRetard", std::to_string(p.retard));
  parameter("LabelPocPalcu", std::to_string(p.ignitionsPerRev));
  parameter("LabelLedRazeni", std::to_string(p.shiftLightRpm));
  parameter("RadioGroupPolarita", PolarityItem(language, p.polarity));

  DrawCurve(page, sheet, p, 265, 475);

  y = 215;
  page.Text(kLeft, y, 10, text(SheetNote), Face::Bold);
  constexpr double kNoteSize = 10;
  constexpr std::size_t kNoteLines = 13;
  if (sheet.note.empty()) {
    page.Text(kLeft, y - 14, kNoteSize, text(SheetNoNote));
  } else {
    for (const std::string& line : NoteLines(page, sheet.note, kNoteSize, kNoteLines)) {
      y -= 12.5;
      page.Text(kLeft, y, kNoteSize, line);
    }
  }
  return page.Finish(text(SheetTitle));
}

std::string WriteSetupSheet(const std::string& path, const SetupSheet& sheet) {
  if (WriteFileAtomically(path, SetupSheetPdf(sheet))) return {};
  std::error_code error;
  const std::filesystem::path where = PathFromUtf8(path);
  if (std::filesystem::is_directory(where, error)) return NoteText(sheet.language, SheetIsFolder);
  const std::filesystem::path folder = where.has_parent_path() ? where.parent_path() : ".";
  if (!std::filesystem::is_directory(folder, error)) return NoteText(sheet.language, SheetNoFolder);
  return NoteText(sheet.language, SheetNotWritten);
}

}  // namespace qm17
