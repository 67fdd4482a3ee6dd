// The PDF writer's string and name escaping: any bytes make a literal string body and a name
// that a reader decodes back to the same bytes (tabs in strings as blanks up to the next
// multiple of eight), with nothing in them that would end the token early; numbers stay
// within their documented width and never read "nan".

#include "fuzztarget.h"

#include "pdf/pdfsyntax.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

// A reader's view of a literal string body.
bool decodeLiteral(const std::string& body, std::string* out) {
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '(' || c == ')' || c == '\r' || c == '\n')
            return false; // unescaped: a reader would nest, end or normalise here
        if (c != '\\') {
            out->push_back(c);
            continue;
        }
        if (++i >= body.size())
            return false;
        switch (body[i]) {
        case 'n':
            out->push_back('\n');
            break;
        case 'r':
            out->push_back('\r');
            break;
        case 't':
            out->push_back('\t');
            break;
        case 'b':
            out->push_back('\b');
            break;
        case 'f':
            out->push_back('\f');
            break;
        case '(':
        case ')':
        case '\\':
            out->push_back(body[i]);
            break;
        default:
            return false;
        }
    }
    return true;
}

std::string expandTabs(std::string_view bytes) {
    std::string out;
    for (char c : bytes) {
        if (c == '\t')
            out.append(8 - out.size() % 8, ' ');
        else
            out.push_back(c);
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    std::string body = "prefix";
    pdf::appendLiteralBody(body, bytes);
    std::string decoded;
    fuzz::check(decodeLiteral(body.substr(6), &decoded), "a literal string body a reader misreads",
                QString::fromLatin1(body.data(), qsizetype(body.size())));
    fuzz::check(decoded == expandTabs(bytes), "a literal string decodes differently");

    const std::string name = pdf::escapeName(QByteArray(bytes.data(), qsizetype(size)));
    std::string back;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        fuzz::check(c >= 0x21 && c <= 0x7E && !std::strchr("()<>[]{}/%", c),
                    "a name holds a delimiter or a blank",
                    QString::fromLatin1(name.data(), qsizetype(name.size())));
        if (c != '#') {
            back.push_back(char(c));
            continue;
        }
        const int hi = i + 1 < name.size() ? hexValue(name[i + 1]) : -1;
        const int lo = i + 2 < name.size() ? hexValue(name[i + 2]) : -1;
        fuzz::check(hi >= 0 && lo >= 0, "a # in a name without two hexadecimal digits");
        back.push_back(char(hi * 16 + lo));
        i += 2;
    }
    fuzz::check(back == bytes, "a name decodes differently");

    // Numbers from the input's bytes, eight at a time.
    for (size_t at = 0; at + sizeof(double) <= size; at += sizeof(double)) {
        double value;
        std::memcpy(&value, data + at, sizeof value);
        char buffer[64];
        std::memset(buffer, 0, sizeof buffer);
        const char* end = pdf::writeNumber(buffer, value);
        const std::string text(buffer, size_t(end - buffer));
        fuzz::check(text.size() <= 22, "a number wider than 22 bytes",
                    QString::fromStdString(text));
        fuzz::check(text.find_first_not_of("-0123456789.") == std::string::npos,
                    "a number with letters", QString::fromStdString(text));
        if (std::isfinite(value) && std::fabs(value) < 1e12)
            fuzz::check(std::fabs(std::strtod(buffer, nullptr) - value) <=
                            0.00005 + 1e-9 * std::fabs(value),
                        "a number reads back as another", QString::fromStdString(text));
        long long integer;
        std::memcpy(&integer, data + at, sizeof integer);
        char ibuffer[32];
        const char* iend = pdf::writeInteger(ibuffer, integer);
        fuzz::check(std::string(ibuffer, size_t(iend - ibuffer)) == std::to_string(integer),
                    "an integer written wrong");
    }
    return 0;
}
