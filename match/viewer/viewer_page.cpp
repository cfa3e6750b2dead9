#include "viewer/viewer_page.h"

#include <fstream>
#include <iostream>
#include <map>
#include <stdexcept>

#include "game/line_score.h"
#include "pictures/sheet_drawing.h"
#include "pictures/svg_writer.h"
#include "viewer/viewer_data.h"
#include "viewer_assets.h"

namespace match::viewer {

using game::MatchRecord;
using pictures::DrawSheet;
using pictures::EscapeXml;
using pictures::PLAYING_END_FAR_Y;
using pictures::PLAYING_END_NEAR_Y;
using pictures::SheetView;
using pictures::SvgWriter;

namespace {

constexpr double PAGE_SCALE = 64.0;

// The empty sheet as inline SVG, with the groups the page draws paths and
// stones into.
std::string SheetSvg(const SheetView &view)
{
    SvgWriter svg(view.Width(), view.Height());
    svg.Text("title", {}, "The playing end, from behind the back line to beyond the hog line");
    DrawSheet(svg, view, "sheet");
    svg.Open("g", {{"id", "paths"}, {"clip-path", "url(#sheet)"}});
    svg.Close();
    svg.Open("g", {{"id", "stones"}});
    svg.Close();
    std::string document = svg.Finish();
    // Inside HTML the element stands without the XML declaration.
    return document.substr(document.find("<svg"));
}

// JSON that can stand inside a <script> element: no character of it can
// close the element or start markup. Bytes from engines that are no UTF-8
// become U+FFFD.
std::string ScriptSafeJson(const nlohmann::json &data)
{
    std::string text = data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::string safe;
    safe.reserve(text.size());
    for (char c : text) {
        if (c == '<')
            safe += "\\u003c";
        else if (c == '>')
            safe += "\\u003e";
        else if (c == '&')
            safe += "\\u0026";
        else
            safe += c;
    }
    return safe;
}

// The template with each {{name}} replaced by its part; parts are inserted
// as they are, never searched for markers themselves.
std::string Fill(std::string_view page, const std::map<std::string, std::string> &parts)
{
    std::string out;
    std::size_t at = 0;
    while (true) {
        std::size_t open = page.find("{{", at);
        if (open == std::string_view::npos)
            break;
        std::size_t close = page.find("}}", open);
        auto part = close == std::string_view::npos ? parts.end()
                                                    : parts.find(std::string(page.substr(open + 2, close - open - 2)));
        if (part == parts.end())
            throw std::logic_error("the viewer page template has an unknown marker");
        out.append(page.substr(at, open - at)).append(part->second);
        at = close + 2;
    }
    return out.append(page.substr(at));
}

// "A x vs B y" for two engines, the names in a row for a tournament.
std::string MatchTitle(const MatchRecord &record)
{
    if (record.names.size() == 2)
        return "A " + record.names[0] + " vs B " + record.names[1];
    std::string title;
    for (const std::string &name : record.names)
        title += (title.empty() ? "" : ", ") + name;
    return title;
}

}  // namespace

std::string ViewerPage(const MatchRecord &record)
{
    SheetView view{PAGE_SCALE, 0.0, 0.0, PLAYING_END_NEAR_Y, PLAYING_END_FAR_Y};
    std::string title = "Match: " + MatchTitle(record);
    return Fill(PAGE_HTML, {{"title", EscapeXml(title)},
                            {"style", std::string(PAGE_CSS)},
                            {"script", std::string(PAGE_SCRIPT)},
                            {"sheet", SheetSvg(view)},
                            {"data", ScriptSafeJson(ViewerData(record, view))}});
}

void WriteViewerPage(const MatchRecord &record, const std::string &path)
{
    std::ofstream file(path);
    file << ViewerPage(record);
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

bool ShowViewerPage(const MatchRecord &record, const std::string &path)
{
    try {
        WriteViewerPage(record, path);
        std::cout << "Viewer: " << path << "\n";
        return true;
    } catch (const std::exception &error) {
        std::cerr << "pebble-match: " << error.what() << "\n";
        return false;
    }
}

}  // namespace match::viewer
