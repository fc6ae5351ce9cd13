#pragma once
// A one-page PDF of text and lines, written without any library: the PDF's standard Helvetica
// faces (which every viewer has, so nothing is embedded), with an encoding that names the
// Czech and German letters by their glyph names, so that the text stays real, searchable
// text in all three languages.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm17 {

class PdfPage {
 public:
  enum class Face : std::uint8_t { Regular, Bold };
  enum class Align : std::uint8_t { Left, Right, Centre };

  // In points (1/72 inch), the origin at the bottom left; A4 by default.
  explicit PdfPage(double width = 595, double height = 842) : m_width(width), m_height(height) {}

  // UTF-8 text; a character the faces lack shows as '?'. `x` is where the alignment puts it.
  void Text(double x, double y, double size, std::string_view text, Face face = Face::Regular,
            Align align = Align::Left);
  // Text read from bottom to top, centred on (x, y).
  void UprightText(double x, double y, double size, std::string_view text);
  double TextWidth(std::string_view text, double size, Face face = Face::Regular) const;

  // Lines and boxes in the colour and width last set; `dash` 0 draws solid.
  void SetColour(double red, double green, double blue);
  void SetLineWidth(double width, double dash = 0);
  void Line(double x1, double y1, double x2, double y2);
  void MoveTo(double x, double y);
  void LineTo(double x, double y);
  void StrokePath();
  void Box(double x, double y, double width, double height, bool filled);

  // The whole file; `title` (UTF-8) goes into the document's information.
  std::string Finish(std::string_view title) const;

 private:
  void Add(std::string_view operators);
  double m_width;
  double m_height;
  std::string m_content;
};

}  // namespace qm17
