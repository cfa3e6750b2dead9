#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace match::pictures {

using SvgAttributes = std::vector<std::pair<std::string, std::string>>;

// Text with the five XML special characters escaped, fit for content and for
// attribute values in double quotes.
std::string EscapeXml(std::string_view text);

// A number for an attribute: at most two decimals, no trailing zeros.
std::string SvgNumber(double value);

// Builds an SVG document element by element; elements close in the reverse
// order of opening.
class SvgWriter {
public:
    SvgWriter(double width, double height);

    void Open(const std::string &name, const SvgAttributes &attributes = {});
    void Close();
    void Element(const std::string &name, const SvgAttributes &attributes);
    void Text(const std::string &name, const SvgAttributes &attributes, std::string_view content);
    void Comment(std::string_view text);

    // The finished document; closes whatever is still open.
    std::string Finish();

private:
    void Start(const std::string &name, const SvgAttributes &attributes);

    std::string out_;
    std::vector<std::string> open_;
};

}  // namespace match::pictures
