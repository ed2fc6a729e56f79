#include "session_file.hpp"

#include <objbase.h>
#include <oleauto.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <stdexcept>

#include "cadhost/com/com_ref.hpp"
#include "cadhost/com/com_text.hpp"

namespace corvex::wintest {
namespace {

class JsonReader {
public:
    JsonReader(const std::string& text, int line) : text_(text), line_(line) {}

    // The top-level array: its first element must be a string.
    SessionCall call() {
        SessionCall result;
        result.line = line_;
        expect('[');
        skip();
        result.member = string();
        skip();
        while (peek() == ',') {
            ++at_;
            skip();
            if (peek() == '{') {
                result.entities.push_back({result.arguments.size(), entityId()});
                VARIANT empty;
                VariantInit(&empty);
                result.arguments.push_back(empty);
            } else {
                result.arguments.push_back(value());
            }
            skip();
        }
        expect(']');
        return result;
    }

private:
    int entityId() {
        expect('{');
        skip();
        if (string() != "entity") fail("\"entity\"");
        expect(':');
        skip();
        const double id = number();
        if (id != static_cast<int>(id) || id < 1) fail("an entity number");
        expect('}');
        return static_cast<int>(id);
    }

    VARIANT value() {
        skip();
        VARIANT v;
        VariantInit(&v);
        const char c = peek();
        if (c == '{') fail("a value (an entity reference is only a whole argument)");
        if (c == '"') {
            v.vt = VT_BSTR;
            v.bstrVal = SysAllocString(cadhost::com::widen(string()).c_str());
        } else if (c == '[') {
            array(v);
        } else if (text_.compare(at_, 4, "null") == 0) {
            at_ += 4;
            v.vt = VT_NULL;
        } else if (text_.compare(at_, 4, "true") == 0 || text_.compare(at_, 5, "false") == 0) {
            const bool yes = c == 't';
            at_ += yes ? 4 : 5;
            v.vt = VT_BOOL;
            v.boolVal = yes ? VARIANT_TRUE : VARIANT_FALSE;
        } else {
            v.vt = VT_R8;
            v.dblVal = number();
        }
        return v;
    }

    void array(VARIANT& v) {
        expect('[');
        std::vector<VARIANT> items;
        skip();
        if (peek() != ']') {
            items.push_back(value());
            skip();
            while (peek() == ',') {
                ++at_;
                items.push_back(value());
                skip();
            }
        }
        expect(']');
        bool numbers = !items.empty();
        for (const auto& item : items) numbers = numbers && item.vt == VT_R8;
        SAFEARRAY* safeArray = SafeArrayCreateVector(numbers ? VT_R8 : VT_VARIANT, 0, static_cast<ULONG>(items.size()));
        for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
            if (numbers) SafeArrayPutElement(safeArray, &i, &items[i].dblVal);
            else SafeArrayPutElement(safeArray, &i, &items[i]);
            VariantClear(&items[i]);
        }
        v.vt = VT_ARRAY | (numbers ? VT_R8 : VT_VARIANT);
        v.parray = safeArray;
    }

    std::string string() {
        expect('"');
        std::string result;
        while (at_ < text_.size() && text_[at_] != '"') {
            if (text_[at_] == '\\' && at_ + 1 < text_.size()) ++at_;
            result += text_[at_++];
        }
        expect('"');
        return result;
    }

    double number() {
        std::size_t used = 0;
        double value = 0;
        try {
            value = std::stod(text_.substr(at_), &used);
        } catch (const std::exception&) {
            fail("a number, a string, an array, true, false or null");
        }
        at_ += used;
        return value;
    }

    void skip() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    char peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    void expect(char c) {
        skip();
        if (peek() != c) fail(std::string("'") + c + "'");
        ++at_;
    }
    [[noreturn]] void fail(const std::string& wanted) const {
        throw std::runtime_error("line " + std::to_string(line_) + ": expected " + wanted + " at column " +
                                 std::to_string(at_ + 1));
    }

    const std::string& text_;
    int line_;
    std::size_t at_ = 0;
};

}  // namespace

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream file(cadhost::com::widen(path).c_str());
    if (!file) throw std::runtime_error("cannot read " + path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<SessionCall> readSession(const std::string& path) {
    std::vector<SessionCall> calls;
    int number = 0;
    for (const auto& line : readLines(path)) {
        ++number;
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        calls.push_back(JsonReader(line, number).call());
    }
    return calls;
}

void resolveEntities(SessionCall& call) {
    if (call.entities.empty()) return;
    CLSID host;
    cadhost::com::ComRef<IUnknown> running;
    cadhost::com::ComRef<IDispatch> application;
    if (FAILED(CLSIDFromProgID(L"AutoCAD.Application", &host)) || FAILED(GetActiveObject(host, nullptr, running.put())) ||
        FAILED(running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(application.put()))))
        throw std::runtime_error("line " + std::to_string(call.line) + ": no running CAD application to find entities in");
    std::wstring name = L"EntityById";
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    if (FAILED(application->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        throw std::runtime_error("the CAD application cannot look entities up by number");
    for (const auto& reference : call.entities) {
        VARIANT number;
        VariantInit(&number);
        number.vt = VT_I4;
        number.lVal = reference.id;
        DISPPARAMS parameters{&number, nullptr, 1, 0};
        VARIANT& argument = call.arguments.at(reference.argument);
        VariantClear(&argument);
        const HRESULT hr = application->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &argument,
                                               nullptr, nullptr);
        if (FAILED(hr) || argument.vt != VT_DISPATCH)
            throw std::runtime_error("line " + std::to_string(call.line) + ": the CAD application has no entity #" +
                                     std::to_string(reference.id));
    }
}

std::vector<std::string> normalizedJournal(const std::vector<std::string>& lines) {
    static const std::regex entity(R"(\b(Solid3D|Region|Polyline|Line|Arc|Circle|Entity)#(\d+))");
    static const std::regex number(R"(-?\b\d+(\.\d+)?([eE][-+]?\d+)?)");
    std::map<std::string, int> order;
    std::vector<std::string> result;
    for (const auto& line : lines) {
        std::string named;
        auto last = line.cbegin();
        for (std::sregex_iterator it(line.begin(), line.end(), entity), end; it != end; ++it) {
            const auto& match = *it;
            named.append(last, match[0].first);
            const auto found = order.emplace(match.str(), static_cast<int>(order.size()) + 1).first;
            named += match[1].str() + "@" + std::to_string(found->second);
            last = match[0].second;
        }
        named.append(last, line.cend());

        std::string rounded;
        last = named.cbegin();
        for (std::sregex_iterator it(named.begin(), named.end(), number), end; it != end; ++it) {
            const auto& match = *it;
            rounded.append(last, match[0].first);
            double value = std::stod(match.str());
            if (std::fabs(value) < 1e-9) value = 0;
            char text[32];
            std::snprintf(text, sizeof text, "%.9g", value);
            rounded += text;
            last = match[0].second;
        }
        rounded.append(last, named.cend());
        result.push_back(rounded);
    }
    return result;
}

}  // namespace corvex::wintest
