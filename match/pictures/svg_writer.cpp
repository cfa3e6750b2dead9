#include "pictures/svg_writer.h"

#include <cmath>
#include <cstdio>

namespace match::pictures {

std::string EscapeXml(std::string_view text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&apos;";
            break;
        default:
            // Control bytes are not allowed in XML 1.0 at all.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t')
                escaped += '?';
            else
                escaped += c;
        }
    }
    return escaped;
}

std::string SvgNumber(double value)
{
    char text[32];
    double rounded = std::round(value * 100.0) / 100.0;
    std::snprintf(text, sizeof text, "%.2f", rounded == 0.0 ? 0.0 : rounded);
    std::string number = text;
    while (number.back() == '0')
        number.pop_back();
    if (number.back() == '.')
        number.pop_back();
    return number;
}

SvgWriter::SvgWriter(double width, double height)
{
    out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    Open("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                 {"width", SvgNumber(width)},
                 {"height", SvgNumber(height)},
                 {"viewBox", "0 0 " + SvgNumber(width) + " " + SvgNumber(height)},
                 {"font-family", "DejaVu Sans, Arial, sans-serif"}});
}

void SvgWriter::Start(const std::string &name, const SvgAttributes &attributes)
{
    out_ += std::string(open_.size() * 2, ' ') + "<" + name;
    for (const auto &[key, value] : attributes)
        out_ += " " + key + "=\"" + EscapeXml(value) + "\"";
}

void SvgWriter::Open(const std::string &name, const SvgAttributes &attributes)
{
    Start(name, attributes);
    out_ += ">\n";
    open_.push_back(name);
}

void SvgWriter::Close()
{
    if (open_.empty())
        return;
    std::string name = open_.back();
    open_.pop_back();
    out_ += std::string(open_.size() * 2, ' ') + "</" + name + ">\n";
}

void SvgWriter::Element(const std::string &name, const SvgAttributes &attributes)
{
    Start(name, attributes);
    out_ += "/>\n";
}

void SvgWriter::Text(const std::string &name, const SvgAttributes &attributes, std::string_view content)
{
    Start(name, attributes);
    out_ += ">" + EscapeXml(content) + "</" + name + ">\n";
}

void SvgWriter::Comment(std::string_view text)
{
    std::string safe(text);
    for (std::size_t at = safe.find("--"); at != std::string::npos; at = safe.find("--"))
        safe.replace(at, 2, "- ");
    out_ += std::string(open_.size() * 2, ' ') + "<!-- " + safe + " -->\n";
}

std::string SvgWriter::Finish()
{
    while (!open_.empty())
        Close();
    return out_;
}

}  // namespace match::pictures
