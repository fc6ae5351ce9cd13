#include "session/pdf_page.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

namespace qm17 {
namespace {

// Helvetica's advance widths (thousandths of the size) for ASCII 32..126.
constexpr std::array<std::uint16_t, 95> kRegularWidths = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333,  278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667,
    611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667,  611, 722, 667, 944, 667,
    667, 611, 278, 278, 278, 469, 556, 333, 556, 556, 500, 556, 556, 278,  556, 556, 222, 222, 500,
    222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500,  500, 334, 260, 334, 584};
constexpr std::array<std::uint16_t, 95> kBoldWidths = {
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611, 975, 722, 722, 722, 722, 667,
    611, 778, 722, 278, 556, 722, 611, 833, 722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667,
    667, 611, 333, 278, 333, 584, 556, 333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556,
    278, 889, 611, 611, 611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584};

// Codes 128..159 of the faces' encoding (Windows' Western codes otherwise, which hold the German
// letters where Latin-1 has them): the Czech and Slovak letters beyond Latin-1, dashes and
// quotes. `base` is a letter of about the same width.
struct ExtraGlyph {
  char32_t character;
  const char* name;
  char base;
};
constexpr ExtraGlyph kExtraGlyphs[] = {
    {U'Č', "Ccaron", 'C'},        {U'č', "ccaron", 'c'},       {U'Ď', "Dcaron", 'D'},
    {U'ď', "dcaron", 'd'},        {U'Ě', "Ecaron", 'E'},       {U'ě', "ecaron", 'e'},
    {U'Ň', "Ncaron", 'N'},        {U'ň', "ncaron", 'n'},       {U'Ř', "Rcaron", 'R'},
    {U'ř', "rcaron", 'r'},        {U'Š', "Scaron", 'S'},       {U'š', "scaron", 's'},
    {U'Ť', "Tcaron", 'T'},        {U'ť', "tcaron", 't'},       {U'Ů', "Uring", 'U'},
    {U'ů', "uring", 'u'},         {U'Ž', "Zcaron", 'Z'},       {U'ž', "zcaron", 'z'},
    {U'Ľ', "Lcaron", 'L'},        {U'ľ', "lcaron", 'l'},       {U'Ĺ', "Lacute", 'L'},
    {U'ĺ', "lacute", 'l'},        {U'Ŕ', "Racute", 'R'},       {U'ŕ', "racute", 'r'},
    {U'–', "endash", 'n'},        {U'—', "emdash", 'M'},       {U'‘', "quoteleft", '\''},
    {U'’', "quoteright", '\''},   {U'„', "quotedblbase", '"'}, {U'“', "quotedblleft", '"'},
    {U'”', "quotedblright", '"'}, {U'…', "ellipsis", 'M'},
};
static_assert(std::size(kExtraGlyphs) <= 32);
constexpr unsigned kFirstExtraCode = 128;

// Letters of Latin-1's upper half by the ASCII letter of about their width.
constexpr std::string_view kLatin1Bases =
    "AAAAAAACEEEEIIIIDNOOOOO*OUUUUYPsaaaaaaaceeeeiiiidnooooo/ouuuuypy";

// The characters of UTF-8 text; a byte of no sequence stands for itself, which no face has.
std::vector<char32_t> Characters(std::string_view text) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80    ? 1
                         : lead >= 0xF0 ? 4
                         : lead >= 0xE0 ? 3
                         : lead >= 0xC0 ? 2
                                        : 0;
    char32_t c = length == 1   ? lead
                 : length == 2 ? lead & 0x1F
                 : length == 3 ? lead & 0x0F
                               : lead & 0x07;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
      if ((next & 0xC0) != 0x80) {
        length = 0;
        break;
      }
      c = (c << 6) | (next & 0x3F);
    }
    if (length == 0) {
      out.push_back(0xFFFD);
      ++i;
    } else {
      out.push_back(c);
      i += length;
    }
  }
  return out;
}

// The code of a character in the faces' encoding; '?' when they lack it.
unsigned char CodeOf(char32_t c) {
  if (c >= 0x20 && c < 0x7F) return static_cast<unsigned char>(c);
  if (c >= 0xA0 && c <= 0xFF) return static_cast<unsigned char>(c);
  for (std::size_t i = 0; i < std::size(kExtraGlyphs); ++i) {
    if (kExtraGlyphs[i].character == c) return static_cast<unsigned char>(kFirstExtraCode + i);
  }
  return '?';
}

unsigned WidthOf(unsigned char code, PdfPage::Face face) {
  const auto& widths = face == PdfPage::Face::Bold ? kBoldWidths : kRegularWidths;
  char ascii = '?';
  if (code >= 0x20 && code < 0x7F) {
    ascii = static_cast<char>(code);
  } else if (code >= kFirstExtraCode && code < kFirstExtraCode + std::size(kExtraGlyphs)) {
    ascii = kExtraGlyphs[code - kFirstExtraCode].base;
  } else if (code >= 0xC0) {
    ascii = kLatin1Bases[code - 0xC0];
  } else if (code == 0xB0) {
    return 400;  // degree
  } else {
    return 556;
  }
  return widths[static_cast<unsigned char>(ascii) - 0x20];
}

std::string Encoded(std::string_view text) {
  std::string out;
  for (const char32_t c : Characters(text)) out += static_cast<char>(CodeOf(c));
  return out;
}

// A literal string: the delimiters escaped, anything outside printable ASCII as an octal
// escape, so that the content stream stays plain text.
std::string Literal(std::string_view encoded) {
  std::string out = "(";
  for (const char c : encoded) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '(' || c == ')' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", byte);
      out += octal;
    } else {
      out += c;
    }
  }
  return out + ")";
}

// Two decimals at most, with a point whatever the locale (a window program runs in the
// user's, where printf would write a comma).
std::string Number(double value) {
  const long hundredths = std::lround(value * 100);
  const long whole = std::labs(hundredths) / 100;
  const long fraction = std::labs(hundredths) % 100;
  std::string out = hundredths < 0 ? "-" : "";
  out += std::to_string(whole);
  if (fraction != 0) {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "literal" + string.
    out += fraction % 10 == 0 || fraction >= 10 ? "." : ".0";
    out += std::to_string(fraction % 10 == 0 ? fraction / 10 : fraction);
  }
  return out;
}

// The document's title as a text string: UTF-16 with its byte order mark, in hex.
std::string TitleString(std::string_view title) {
  std::string out = "<FEFF";
  char hex[8];
  for (char32_t c : Characters(title)) {
    if (c > 0xFFFF) c = 0xFFFD;
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(c));
    out += hex;
  }
  return out + ">";
}

}  // namespace

void PdfPage::Add(std::string_view operators) {
  m_content += operators;
  m_content += '\n';
}

double PdfPage::TextWidth(std::string_view text, double size, Face face) const {
  double units = 0;
  for (const char c : Encoded(text)) units += WidthOf(static_cast<unsigned char>(c), face);
  return units * size / 1000.0;
}

void PdfPage::Text(double x, double y, double size, std::string_view text, Face face, Align align) {
  if (align == Align::Right) x -= TextWidth(text, size, face);
  if (align == Align::Centre) x -= TextWidth(text, size, face) / 2;
  Add("BT /" + std::string(face == Face::Bold ? "F2 " : "F1 ") + Number(size) + " Tf 1 0 0 1 " +
      Number(x) + " " + Number(y) + " Tm " + Literal(Encoded(text)) + " Tj ET");
}

void PdfPage::UprightText(double x, double y, double size, std::string_view text) {
  const double start = y - TextWidth(text, size) / 2;
  Add("BT /F1 " + Number(size) + " Tf 0 1 -1 0 " + Number(x) + " " + Number(start) + " Tm " +
      Literal(Encoded(text)) + " Tj ET");
}

void PdfPage::SetColour(double red, double green, double blue) {
  const std::string rgb = Number(red) + " " + Number(green) + " " + Number(blue);
  Add(rgb + " RG " + rgb + " rg");
}

void PdfPage::SetLineWidth(double width, double dash) {
  std::string line = Number(width) + " w [";
  if (dash > 0) line += Number(dash);
  line += "] 0 d";
  Add(line);
}

void PdfPage::Line(double x1, double y1, double x2, double y2) {
  MoveTo(x1, y1);
  LineTo(x2, y2);
  StrokePath();
}

void PdfPage::MoveTo(double x, double y) {
  Add(Number(x) + " " + Number(y) + " m");
}

void PdfPage::LineTo(double x, double y) {
  Add(Number(x) + " " + Number(y) + " l");
}

void PdfPage::StrokePath() {
  Add("S");
}

void PdfPage::Box(double x, double y, double width, double height, bool filled) {
  Add(Number(x) + " " + Number(y) + " " + Number(width) + " " + Number(height) + " re " +
      (filled ? "f" : "S"));
}

std::string PdfPage::Finish(std::string_view title) const {
  std::string differences = std::to_string(kFirstExtraCode);
  for (const ExtraGlyph& glyph : kExtraGlyphs) differences += std::string(" /") + glyph.name;
  const std::string objects[] = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + Number(m_width) + " " + Number(m_height) +
          "] /Resources << /Font << /F1 4 0 R /F2 5 0 R >> >> /Contents 7 0 R >>",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding 6 0 R >>",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding 6 0 R >>",
      "<< /Type /Encoding /BaseEncoding /WinAnsiEncoding /Differences [" + differences + "] >>",
      "<< /Length " + std::to_string(m_content.size()) + " >>\nstream\n" + m_content + "endstream",
      "<< /Title " + TitleString(title) + " /Producer (qm17) >>",
  };
  // A binary comment line, so that file transfers treat the file as binary.
  std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < std::size(objects); ++i) {
    offsets.push_back(out.size());
    out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = out.size();
  out += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) {
    // Each entry exactly 20 bytes: a ten-digit offset, the generation and the end of line.
    const std::string digits = std::to_string(offset);
    out += std::string(10 - std::min<std::size_t>(digits.size(), 10), '0') + digits + " 00000 n \n";
  }
  out += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) +
         " /Root 1 0 R /Info 8 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return out;
}

}  // namespace qm17
