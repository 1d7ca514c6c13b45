// Base64 and quoted-printable. Vectors from Python's base64 and quopri modules, except
// where the rows say how a broken input is treated.

#include "message/base64.h"
#include "message/quoted_printable.h"

#include <gtest/gtest.h>

#include <string>

namespace morvaline {
namespace {

using namespace std::string_literals;

struct Base64Row {
    const char* fault;
    std::string bytes;
    std::string text;
};

const Base64Row kBase64[] = {
    {"empty input", "", ""},
    {"one-byte group loses its == padding", "f", "Zg=="},
    {"two-byte group loses its = padding", "fo", "Zm8="},
    {"full group padded", "foo", "Zm9v"},
    {"high bytes sign-extended", "\x00\xFF\xFE"s, "AP/+"},
    {"+ and / swapped", "\xFA\xFB\xFC\xFD\xFE\xFF", "+vv8/f7/"},
};

TEST(Base64, EncodesAndDecodesLikePython) {
    for (const auto& row : kBase64) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(Base64Encode(row.bytes), row.text);
        EXPECT_EQ(Base64Decode(row.text), row.bytes);
    }
}

TEST(Base64, DecodeHandlesBrokenText) {
    struct Row {
        const char* fault;
        std::string text;
        std::string bytes;
    };
    const Row rows[] = {
        {"line breaks and blanks inside the text rejected", "QU\r\nJD\t\r\n Q Q==", "ABCA"},
        {"invalid character decoded partly", "QUJD*QUJD", ""},
        {"invalid character after the padding missed", "QQ==*", ""},
        {"text after the padding decoded as more data", "QQ==QUJD", "A"},
        {"incomplete last group read past the end", "QUJDQU", "ABC"},
        {"padding in the first places decoded as zero bytes", "QUJD====", "ABC"},
        {"padding in the third place only", "QQ=B", "A"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(Base64Decode(row.text), row.bytes);
    }
}

TEST(QuotedPrintable, Decodes) {
    struct Row {
        const char* fault;
        std::string text;
        std::string bytes;
    };
    const Row rows[] = {
        {"escapes and soft breaks (Python's result)", "a=3D=3db=\r\nc =C3=A9", "a==bc \xC3\xA9"},
        {"decoded NUL cuts the binary", "x=00y=FF", "x\x00y\xFF"s},
        {"= with no hex digits becomes an undefined byte", "=ZZ =4", "=ZZ =4"},
        {"= at the end read past the text", "end=", "end="},
        {"= CR without LF kept", "a=\rb", "ab"},
        {"hard line breaks dropped", "one\r\ntwo", "one\r\ntwo"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        EXPECT_EQ(DecodeQuotedPrintable(row.text), row.bytes);
    }
}

}  // namespace
}  // namespace morvaline
