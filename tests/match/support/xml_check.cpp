#include "xml_check.h"

#include <cctype>

namespace {

class Reader {
public:
    explicit Reader(const std::string &text) : text_(text) {}

    XmlDocument Read()
    {
        if (text_.compare(0, 5, "<?xml") == 0)
            Skip("?>");
        SkipMisc();
        if (!Element())
            return Failed();
        SkipMisc();
        if (document_.error.empty() && at_ != text_.size())
            Fail("content after the root element");
        return Failed();
    }

private:
    XmlDocument Failed() { return document_; }

    bool Fail(const std::string &what)
    {
        if (document_.error.empty())
            document_.error = what + " at byte " + std::to_string(at_);
        return false;
    }

    void Skip(const char *until)
    {
        std::size_t found = text_.find(until, at_);
        at_ = found == std::string::npos ? text_.size() : found + std::string(until).size();
    }

    void SkipSpace()
    {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
            ++at_;
    }

    void SkipMisc()
    {
        for (;;) {
            SkipSpace();
            if (text_.compare(at_, 4, "<!--") != 0)
                return;
            Skip("-->");
        }
    }

    std::string Name()
    {
        std::size_t start = at_;
        while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '-' ||
                                      text_[at_] == ':' || text_[at_] == '_' || text_[at_] == '.'))
            ++at_;
        return text_.substr(start, at_ - start);
    }

    // Character data up to the next '<' (or quote), with entities resolved.
    bool CharacterData(char stop, std::string &out)
    {
        while (at_ < text_.size() && text_[at_] != stop && text_[at_] != '<') {
            char c = text_[at_];
            if (c == '&') {
                std::size_t end = text_.find(';', at_);
                if (end == std::string::npos)
                    return Fail("unterminated entity");
                std::string entity = text_.substr(at_ + 1, end - at_ - 1);
                static const std::map<std::string, char> known = {
                    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
                auto found = known.find(entity);
                if (found == known.end())
                    return Fail("unknown entity &" + entity + ";");
                out += found->second;
                at_ = end + 1;
                continue;
            }
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r')
                return Fail("control character");
            out += c;
            ++at_;
        }
        return true;
    }

    bool Element()
    {
        if (text_.compare(at_, 1, "<") != 0)
            return Fail("expected an element");
        ++at_;
        XmlElement element;
        element.name = Name();
        if (element.name.empty())
            return Fail("element without a name");
        for (;;) {
            SkipSpace();
            if (text_.compare(at_, 2, "/>") == 0) {
                at_ += 2;
                document_.elements.push_back(element);
                return true;
            }
            if (text_.compare(at_, 1, ">") == 0)
                break;
            std::string key = Name();
            if (key.empty() || text_.compare(at_, 2, "=\"") != 0)
                return Fail("malformed attribute in <" + element.name + ">");
            at_ += 2;
            std::string value;
            if (!CharacterData('"', value) || text_.compare(at_, 1, "\"") != 0)
                return Fail("unterminated attribute " + key);
            ++at_;
            if (!element.attributes.emplace(key, value).second)
                return Fail("repeated attribute " + key);
        }
        ++at_;
        std::size_t index = document_.elements.size();
        document_.elements.push_back(element);
        for (;;) {
            std::string text;
            if (!CharacterData('<', text))
                return false;
            document_.elements[index].text += text;
            if (at_ >= text_.size())
                return Fail("unclosed <" + element.name + ">");
            if (text_.compare(at_, 4, "<!--") == 0) {
                Skip("-->");
                continue;
            }
            if (text_.compare(at_, 2, "</") == 0) {
                at_ += 2;
                std::string closing = Name();
                if (closing != element.name || text_.compare(at_, 1, ">") != 0)
                    return Fail("</" + closing + "> closes <" + element.name + ">");
                ++at_;
                return true;
            }
            if (!Element())
                return false;
        }
    }

    const std::string &text_;
    std::size_t at_ = 0;
    XmlDocument document_;
};

}  // namespace

XmlDocument ReadXml(const std::string &text)
{
    return Reader(text).Read();
}
