#include "tools/address_csv.h"

#include <array>
#include <vector>

#include "store/address_book.h"

namespace morvaline {
namespace {

constexpr std::size_t kFields = 5;
using Row = std::array<std::string, kFields>;

std::string csvField(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
    std::string out = "\"";
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

// Reads the rows of a CSV text. A double quote switches between inside and outside; a
// field that begins with one loses it and keeps, of every further quote, only the character
// that follows (so a doubled quote becomes one). A comma or a line end outside quotes ends a
// field; a line end also ends the row.
class CsvReader {
public:
    explicit CsvReader(std::string_view text) : text_(text) {}

    bool read(std::vector<Row>& rows, std::string* error) {
        while (pos_ < text_.size()) {
            const int firstLine = line_;
            Row row;
            std::size_t field = 0;
            bool any = false;
            for (;;) {
                std::string value;
                const End end = readField(value);
                if (end == End::Unclosed) {
                    *error =
                        "line " + std::to_string(firstLine) + ": a quoted field is never closed";
                    return false;
                }
                any = any || !value.empty() || end == End::Comma || field > 0;
                if (field < kFields) row[field] = std::move(value);
                ++field;
                if (end != End::Comma) break;
            }
            if (any) rows.push_back(std::move(row));
        }
        return true;
    }

private:
    enum class End { Comma, Line, Text, Unclosed };

    End readField(std::string& value) {
        bool inside = false;
        const bool quoted = pos_ < text_.size() && text_[pos_] == '"';
        if (quoted) {
            inside = true;
            ++pos_;
        }
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '"') {
                inside = !inside;
                ++pos_;
                if (quoted && pos_ < text_.size() && text_[pos_] == '"') {
                    // The character after a quote is kept: a doubled quote is one quote.
                    value += '"';
                    inside = !inside;
                    ++pos_;
                } else if (!quoted) {
                    value += c;
                }
                continue;
            }
            if (!inside && c == ',') {
                ++pos_;
                return End::Comma;
            }
            if (c == '\r' || c == '\n') {
                const std::size_t width =
                    c == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n' ? 2 : 1;
                ++line_;
                if (!inside) {
                    pos_ += width;
                    return End::Line;
                }
                // A quoted field goes on over the line end, which it keeps as CR LF.
                value += "\r\n";
                pos_ += width;
                continue;
            }
            value += c;
            ++pos_;
        }
        return inside ? End::Unclosed : End::Text;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace

std::string ExportAddressCsv(const CAddrArray& book) {
    std::string out;
    const auto& nodes = book.nodes();
    for (std::size_t i = 1; i < nodes.size(); ++i) {
        const CAddr& a = nodes[i];
        if (a.type == CAddr::kFolder) continue;
        out += csvField(a.name) + ',' + csvField(a.address) + ',' + csvField(a.affiliation) + ',' +
               csvField(a.department) + ',' + csvField(a.memo) + "\r\n";
    }
    return out;
}

std::optional<int> ImportAddressCsv(CAddrArray& book, std::string_view text, std::string* error) {
    if (book.nodes().empty()) {
        *error = "the address book has no root folder";
        return std::nullopt;
    }
    std::vector<Row> rows;
    if (!CsvReader(text).read(rows, error)) return std::nullopt;
    for (const Row& r : rows) book.addNode(0, CAddr::kEntry, 0, r[1], r[0], r[2], r[3], r[4]);
    return static_cast<int>(rows.size());
}

}  // namespace morvaline
