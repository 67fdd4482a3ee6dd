// Workload W1 written with libharu, the comparison for pdf_bench. Prints the same figures.
#include "w1.h"

#include <hpdf.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/stat.h>

namespace {

void onError(HPDF_STATUS error, HPDF_STATUS detail, void*) {
    std::fprintf(stderr, "libharu error %04X (%u)\n", unsigned(error), unsigned(detail));
    std::exit(1);
}

// Liberation Sans, not embedded, as the Merovia writer uses it for "Arial"; the built-in
// Helvetica when the font file is not there.
const char* loadFont(HPDF_Doc pdf, const char* file, const char* builtIn) {
    struct stat info {};
    if (stat(file, &info) != 0)
        return builtIn;
    return HPDF_LoadTTFontFromFile(pdf, file, HPDF_FALSE);
}

} // namespace

int main(int argc, char** argv) {
    int pages = 200;
    std::string out = "/tmp/w1-libharu.pdf";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--pages") == 0)
            pages = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--out") == 0)
            out = argv[i + 1];
    }

    const auto start = std::chrono::steady_clock::now();
    timespec cpuStart{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuStart);
    HPDF_Doc pdf = HPDF_New(onError, nullptr);
    HPDF_SetCompressionMode(pdf, HPDF_COMP_ALL);
    const char* regularName = loadFont(
        pdf, "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", "Helvetica");
    const char* boldName = loadFont(
        pdf, "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf", "Helvetica-Bold");
    HPDF_Font regular = HPDF_GetFont(pdf, regularName, "WinAnsiEncoding");
    HPDF_Font bold = HPDF_GetFont(pdf, boldName, "WinAnsiEncoding");
    const std::vector<unsigned char> samples = w1::imageSamples();
    HPDF_Image image = HPDF_LoadRawImageFromMem(pdf, samples.data(), w1::kImageWidth,
                                                w1::kImageHeight, HPDF_CS_DEVICE_RGB, 8);

    const double h = w1::kPageHeight;
    std::vector<w1::Text> texts;
    for (int p = 0; p < pages; ++p) {
        HPDF_Page page = HPDF_AddPage(pdf);
        HPDF_Page_SetWidth(page, HPDF_REAL(w1::kPageWidth));
        HPDF_Page_SetHeight(page, HPDF_REAL(h));

        const w1::Rect band = w1::kTitleBand;
        HPDF_Page_SetRGBFill(page, 0.7529f, 0.7529f, 0.7529f);
        HPDF_Page_Rectangle(page, HPDF_REAL(band.x), HPDF_REAL(h - band.y - band.h),
                            HPDF_REAL(band.w), HPDF_REAL(band.h));
        HPDF_Page_Fill(page);
        HPDF_Page_SetRGBFill(page, 0, 0, 0);

        w1::pageTexts(p, texts);
        for (const w1::Text& t : texts) {
            HPDF_Page_BeginText(page);
            HPDF_Page_SetFontAndSize(page, t.bold ? bold : regular, HPDF_REAL(t.size));
            HPDF_Page_TextOut(page, HPDF_REAL(t.x), HPDF_REAL(h - t.baseline), t.text.c_str());
            HPDF_Page_EndText(page);
        }

        const w1::Rect frame = w1::kFrame;
        HPDF_Page_SetLineWidth(page, 2);
        HPDF_Page_Rectangle(page, HPDF_REAL(frame.x), HPDF_REAL(h - frame.y - frame.h),
                            HPDF_REAL(frame.w), HPDF_REAL(frame.h));
        HPDF_Page_Stroke(page);
        HPDF_Page_SetLineWidth(page, 0.5f);
        for (const double y : w1::kRuleYs) {
            HPDF_Page_MoveTo(page, HPDF_REAL(w1::kRuleFrom), HPDF_REAL(h - y));
            HPDF_Page_LineTo(page, HPDF_REAL(w1::kRuleTo), HPDF_REAL(h - y));
            HPDF_Page_Stroke(page);
        }
        if (p == 0) {
            const w1::Rect place = w1::kImagePlace;
            HPDF_Page_DrawImage(page, image, HPDF_REAL(place.x), HPDF_REAL(h - place.y - place.h),
                                HPDF_REAL(place.w), HPDF_REAL(place.h));
        }
    }
    HPDF_SaveToFile(pdf, out.c_str());
    HPDF_Free(pdf);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    timespec cpuEnd{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuEnd);
    const double cpu =
        double(cpuEnd.tv_sec - cpuStart.tv_sec) + (cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e9;

    struct stat info {};
    stat(out.c_str(), &info);
    std::printf("pages %d\nseconds %.4f\nbytes %lld\ncpu_seconds %.4f\n", pages, seconds,
                static_cast<long long>(info.st_size), cpu);
    return 0;
}
