#pragma once

// Workload W1 (invoice pages): the same fixed document for every PDF writer compared. All
// positions are points from the top left corner of an A4 page; text positions are baselines.

#include <string>
#include <vector>

namespace w1 {

inline constexpr double kPageWidth = 595.2744;
inline constexpr double kPageHeight = 841.8888;
inline constexpr double kColumns[9] = {58, 90, 170, 350, 400, 440, 500, 520, 545};
inline constexpr int kImageWidth = 228;
inline constexpr int kImageHeight = 114;

struct Text {
    double x;
    double baseline;
    double size;
    bool bold;
    std::string text;
};

struct Rect {
    double x, y, w, h;
};

inline constexpr Rect kTitleBand{56.7, 150, 510, 16}; // filled silver (C0C0C0)
inline constexpr Rect kFrame{56.7, 148, 510, 560};    // stroked, line width 2
inline constexpr double kRuleYs[5] = {730, 735, 740, 745, 750};
inline constexpr double kRuleFrom = 56.7;
inline constexpr double kRuleTo = 566.7;              // line width 0.5
inline constexpr Rect kImagePlace{56.7, 20, 160, 80}; // page 1 only

// Every text of page p (0-based), in drawing order.
inline void pageTexts(int p, std::vector<Text>& out) {
    out.clear();
    static const char* const kTitles[9] = {"Item",  "Code", "Description", "Qty", "Unit",
                                           "Price", "-%",   "VAT %",       "Sum"};
    for (int i = 0; i < 9; ++i)
        out.push_back({kColumns[i], 161, 8, true, kTitles[i]});
    // Money in cents: the same texts as "%.2f" of 19.9 + r and of qty times that.
    auto amount = [](long cents) {
        std::string text = std::to_string(cents / 100);
        text += '.';
        text += char('0' + cents / 10 % 10);
        text += char('0' + cents % 10);
        return text;
    };
    for (int r = 0; r < 40; ++r) {
        const double baseline = 179 + 13 * r;
        const long number = long(p) * 40 + r;
        const int qty = r % 7 + 1;
        const long price = 1990 + 100L * r;
        out.push_back({kColumns[0], baseline, 10, false, std::to_string(r + 1)});
        std::string code = std::to_string(number);
        code.insert(0, code.size() < 5 ? 5 - code.size() : 0, '0');
        out.push_back({kColumns[1], baseline, 10, false, "C" + code});
        out.push_back({kColumns[2], baseline, 10, false,
                       "Product description " + std::to_string(number) + " with words"});
        out.push_back({kColumns[3], baseline, 10, false, std::to_string(qty)});
        out.push_back({kColumns[4], baseline, 10, false, "pcs"});
        out.push_back({kColumns[5], baseline, 10, false, amount(price)});
        if (r % 3 == 0)
            out.push_back({kColumns[6], baseline, 10, false, "10"});
        out.push_back({kColumns[7], baseline, 10, false, "25"});
        out.push_back({kColumns[8], baseline, 10, false, amount(qty * price)});
    }
    out.push_back({60, 780, 8, false, "Merovia Test Company Ltd"});
    out.push_back({60, 792, 8, false, "Main Street 1"});
    out.push_back({500, 780, 8, false, "Page " + std::to_string(p + 1)});
}

// RGB samples of the picture, row by row from the top.
inline std::vector<unsigned char> imageSamples() {
    std::vector<unsigned char> rgb;
    rgb.reserve(size_t(kImageWidth) * kImageHeight * 3);
    for (int y = 0; y < kImageHeight; ++y) {
        for (int x = 0; x < kImageWidth; ++x) {
            rgb.push_back(static_cast<unsigned char>(x * 255 / 227));
            rgb.push_back(static_cast<unsigned char>(y * 255 / 113));
            rgb.push_back(128);
        }
    }
    return rgb;
}

} // namespace w1
