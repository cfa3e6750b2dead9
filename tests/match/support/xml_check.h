#pragma once

#include <map>
#include <string>
#include <vector>

// A strict reader for the XML the runner writes: it accepts a well-formed
// document (one root, balanced tags, quoted attributes, known entities,
// comments, a leading declaration) and flattens its elements.
struct XmlElement {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;
};

struct XmlDocument {
    std::string error;  // empty when the document is well-formed
    std::vector<XmlElement> elements;
};

XmlDocument ReadXml(const std::string &text);
