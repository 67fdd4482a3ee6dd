#pragma once

// The value types of the PDF engine's settings.

// Encoding of simple fonts.
enum TgtFontEncoding {
    feWinAnsiEncoding,
    feMacRomanEncoding,
    feMacExpertEncoding,
    feStandardEncoding,
    fePDFDocEncoding
};

// How pictures are stored: raw RGB samples (Flate-compressed when compression is on) or JPEG.
enum TgtOutputImageFormat { ifBMP, ifJPEG };

// Embedding of TrueType font programs for text in simple fonts. Text that needs a composite
// font always carries its (subset) font program, or its glyph numbers would mean nothing.
enum TgtEmbedTrueTypeFonts { etfNone, etfFull, etfSubset };

// What the bridge measures element positions from; kept for the bridge, the engine itself
// always takes positions from the top left corner of the page.
enum TgtReferencePoint { rpPage, rpBand };

enum TgtPageLayout { plSinglePage, plOneColumn, plTwoColumnLeft, plTwoColumnRight };
enum TgtPageMode { pmUseNone, pmUseOutlines, pmUseThumbs, pmFullScreen };
enum TgtNonFullScreenPageMode { nfpmUseNone, nfpmUseOutlines, nfpmUseThumbs };

// Permission flags of Encryption.UserPermissions; 255 grants everything.
enum TgtUserPermission {
    upPrint = 1,
    upModify = 2,
    upCopy = 4,
    upAnnotate = 8,
    upFillForms = 16,
    upExtractForAccessibility = 32,
    upAssemble = 64,
    upPrintHighQuality = 128,
    upAll = 255
};

// The standard a document is written to. PDF/A-3b (ISO 19005-3, level B) is the archive form
// an electronic invoice travels in: see TgtCustomPDFEngine::Conformance.
enum TgtConformance { cfPlain, cfPDFA3b };

// How an attached file relates to the document (the /AFRelationship of PDF/A-3): the same
// content in another form (the XML of an invoice), its source, data behind it, a supplement.
enum TgtAFRelationship { afrAlternative, afrData, afrSource, afrSupplement, afrUnspecified };

// Character sets of a font as the drawing side names them. Text in a set other than ANSI,
// default or symbol, and any text the font encoding cannot hold, is written with a composite
// font.
namespace PdfCharset {
inline constexpr int Ansi = 0;
inline constexpr int Default = 1;
inline constexpr int Symbol = 2;
inline constexpr int Turkish = 162;
inline constexpr int Greek = 161;
inline constexpr int Baltic = 186;
inline constexpr int Russian = 204;
inline constexpr int EastEurope = 238;
} // namespace PdfCharset
