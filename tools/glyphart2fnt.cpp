// glyphart2fnt: turns the glyph art of one calculator font into its ".fnt" grob file.
//
//   glyphart2fnt ART OUT
//
// The art is a text file: comment lines start with ';', a line "kind normal" or "kind mini"
// comes before the first glyph, then every code from 0 to 255 in order, each as a line
// "code N" (anything after N is a label for the reader) followed by its rows, top row first:
// 8 rows for a normal font, 5 for a mini font, each exactly 6 pixels of '#' (set) or '.'
// (clear). Anything else is refused with the file and line at fault and a non-zero exit, and
// OUT is then left as it was, so the build stops instead of shipping a broken font.
//
// The font file is a grob one byte wide holding the 256 glyphs stacked, code 0 at the top:
// "HPHP48-E", then the prolog, size, height and width as 5-nibble numbers (least significant
// nibble first, two nibbles a byte, low nibble first), then one byte per row with pixel x in
// bit x. Pixels 6 and 7 of each row stay clear.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int GlyphCount = 256;
constexpr int ArtWidth = 6;
constexpr int GrobWidth = 8;
constexpr uint32_t GrobProlog = 0x02B1E;

struct TArtError {
    int Line;
    std::string Message;
};

struct TGlyphArt {
    int RowsPerGlyph = 0;
    std::vector<uint8_t> Rows; // one byte per row, all glyphs stacked
};

std::string TrimRight(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.pop_back();
    return s;
}

bool StartsWith(const std::string &s, const std::string &prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

// The code number of a "code N ..." line, or nothing when N is not a plain decimal number.
std::optional<int> CodeNumber(const std::string &line)
{
    size_t i = 5; // after "code "
    size_t start = i;
    long value = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9' && i - start < 6)
        value = value * 10 + (line[i++] - '0');
    if (i == start || (i < line.size() && line[i] != ' ' && line[i] != '\t'))
        return std::nullopt;
    return int(value);
}

class TArtParser {
public:
    std::optional<TArtError> Parse(std::istream &in, TGlyphArt &art)
    {
        std::string raw;
        int lineNo = 0;
        while (std::getline(in, raw)) {
            ++lineNo;
            if (lineNo == 1 && StartsWith(raw, "\xEF\xBB\xBF"))
                raw.erase(0, 3);
            std::string line = TrimRight(raw);
            if (line.empty() || line[0] == ';')
                continue;
            if (auto error = ParseLine(line, art))
                return TArtError{lineNo, *error};
        }
        if (in.bad())
            return TArtError{lineNo, "the file could not be read to its end"};
        if (art.RowsPerGlyph == 0)
            return TArtError{lineNo, "no \"kind normal\" or \"kind mini\" line"};
        if (auto error = FinishGlyph(art))
            return TArtError{lineNo, *error};
        if (FCode + 1 < GlyphCount)
            return TArtError{lineNo, "the glyphs of codes " + std::to_string(FCode + 1) + " to 255 are missing"};
        return std::nullopt;
    }

private:
    std::optional<std::string> ParseLine(const std::string &line, TGlyphArt &art)
    {
        if (line == "kind normal" || line == "kind mini") {
            if (art.RowsPerGlyph != 0)
                return "the font kind is given twice";
            art.RowsPerGlyph = line == "kind normal" ? 8 : 5;
            return std::nullopt;
        }
        if (StartsWith(line, "code ") || line == "code") {
            if (art.RowsPerGlyph == 0)
                return "\"kind normal\" or \"kind mini\" must come before the first glyph";
            if (auto error = FinishGlyph(art))
                return error;
            auto code = line == "code" ? std::nullopt : CodeNumber(line);
            if (!code)
                return "a glyph header must be \"code N\" with N from 0 to 255";
            if (*code >= GlyphCount)
                return "code " + std::to_string(*code) + " is beyond the 256 codes of a font (0 to 255)";
            if (*code != FCode + 1)
                return "expected code " + std::to_string(FCode + 1) + ", found code " + std::to_string(*code);
            FCode = *code;
            FRowsInGlyph = 0;
            return std::nullopt;
        }
        if (line[0] == '#' || line[0] == '.') {
            if (FCode < 0)
                return "pixel row before the first \"code N\" line";
            if (line.size() != ArtWidth || line.find_first_not_of("#.") != std::string::npos)
                return "a pixel row must be exactly 6 characters, each '#' or '.'";
            if (FRowsInGlyph == art.RowsPerGlyph)
                return TooManyRows(art);
            uint8_t bits = 0;
            for (int x = 0; x < ArtWidth; ++x)
                if (line[size_t(x)] == '#')
                    bits |= uint8_t(1u << x);
            art.Rows.push_back(bits);
            ++FRowsInGlyph;
            return std::nullopt;
        }
        return "not a comment, a \"kind\" line, a \"code N\" line or a pixel row";
    }

    std::string TooManyRows(const TGlyphArt &art) const
    {
        return "code " + std::to_string(FCode) + " has more than " + std::to_string(art.RowsPerGlyph) +
               " rows (a " + (art.RowsPerGlyph == 8 ? "normal" : "mini") + " font has " +
               std::to_string(art.RowsPerGlyph) + " rows a glyph)";
    }

    std::optional<std::string> FinishGlyph(const TGlyphArt &art) const
    {
        if (FCode >= 0 && FRowsInGlyph != art.RowsPerGlyph)
            return "code " + std::to_string(FCode) + " has " + std::to_string(FRowsInGlyph) + " rows, a " +
                   (art.RowsPerGlyph == 8 ? "normal" : "mini") + " font needs " +
                   std::to_string(art.RowsPerGlyph);
        return std::nullopt;
    }

    int FCode = -1;
    int FRowsInGlyph = 0;
};

void AppendNumber5(std::vector<uint8_t> &nibbles, uint32_t value)
{
    for (int i = 0; i < 5; ++i)
        nibbles.push_back(uint8_t((value >> (4 * i)) & 0xF));
}

std::vector<uint8_t> FontFileBytes(const TGlyphArt &art)
{
    const uint32_t height = uint32_t(art.Rows.size());
    const uint32_t bytesPerRow = (GrobWidth + 7) / 8;
    std::vector<uint8_t> nibbles;
    AppendNumber5(nibbles, GrobProlog);
    AppendNumber5(nibbles, 2 * bytesPerRow * height + 15);
    AppendNumber5(nibbles, height);
    AppendNumber5(nibbles, GrobWidth);

    std::vector<uint8_t> bytes{'H', 'P', 'H', 'P', '4', '8', '-', 'E'};
    for (size_t i = 0; i < nibbles.size(); i += 2)
        bytes.push_back(uint8_t(nibbles[i] | nibbles[i + 1] << 4));
    bytes.insert(bytes.end(), art.Rows.begin(), art.Rows.end());
    return bytes;
}

// Writes beside the target and renames over it, so an interrupted or failed write never leaves
// a truncated font where the program would find it.
bool WriteFileReplacing(const std::filesystem::path &path, const std::vector<uint8_t> &bytes, std::string &error)
{
    std::filesystem::path temp = path;
    temp += ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create " + temp.string();
            return false;
        }
        out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            error = "cannot write " + temp.string();
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        error = "cannot replace " + path.string() + ": " + ec.message();
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: glyphart2fnt ART OUT\n"
                     "Converts the glyph art of a calculator font into a .fnt grob file.\n";
        return 2;
    }
    const std::string artPath = argv[1];
    const std::filesystem::path outPath = argv[2];

    std::ifstream in(artPath, std::ios::binary);
    if (!in) {
        std::cerr << artPath << ": error: cannot open the glyph art\n";
        return 1;
    }
    TGlyphArt art;
    if (auto error = TArtParser().Parse(in, art)) {
        std::cerr << artPath << ":" << error->Line << ": error: " << error->Message << "\n";
        return 1;
    }
    std::string writeError;
    if (!WriteFileReplacing(outPath, FontFileBytes(art), writeError)) {
        std::cerr << "glyphart2fnt: error: " << writeError << "\n";
        return 1;
    }
    return 0;
}
