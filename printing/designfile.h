#pragma once

#include "service/settingsfile.h"

#include <QString>

#include <functional>

namespace report {
class Report;
class TextElement;
class Element;
} // namespace report

namespace printing {

// A document design file: the paper, the margins, and the place, size, font and on/off state
// of each element of the document layout. Reading never fails: a missing file, section or key,
// or a value that is not an integer where one is expected, gives the key's default, silently.
class DesignFile {
public:
    explicit DesignFile(const QString& fileName);

    // Sets the page and every element of the layout (elements the report lacks are passed
    // over). The default of BottomMargin is the caller's: 15 for a document, 10 for the test
    // print. Language texts must be applied before, since followers are placed after the
    // end of their captions' text.
    void applyTo(report::Report& report, int defaultBottomMargin) const;

    // The country decides the fixed widths of the company number and VAT captions.
    void setCountry(const QString& country) { m_country = country; }

private:
    struct Defaults {
        int top = 0;
        int left = 0;
        const char* style = "";
        int size = 10;
        bool enabled = true;
    };

    // A caption with its keys' defaults and, when it has one, the follower beside it.
    struct CaptionRow {
        const char* name;
        Defaults d;
        const char* follower;
        int gap;
    };
    // Places each caption from its keys, lets adjust fix what the file does not hold (fixed
    // widths), then places the follower.
    void applyRows(report::Report& r, const QString& section, const CaptionRow* rows, size_t count,
                   const std::function<void(report::Element* caption, report::Element* follower)>&
                       adjust = {}) const;

    void applyPage(report::Report& r, int defaultBottomMargin) const;
    void applyHead(report::Report& r) const;
    void applyMovedFooter(report::Report& r) const;
    void applyItemTitles(report::Report& r) const;
    void applyItems(report::Report& r) const;
    void applyTotals(report::Report& r) const;
    void applyFooter(report::Report& r) const;
    void applyExtraPages(report::Report& r) const;

    // Top, Left, the font keys and Enabled of one element.
    void placeElement(report::Report& r, const QString& section, const QString& name,
                      const Defaults& d) const;
    // Font keys and Enabled only.
    void applyFont(report::TextElement* e, const QString& section, const QString& name,
                   const Defaults& d) const;
    bool readEnabled(const QString& section, const QString& name, bool def) const;
    int readInt(const QString& section, const QString& key, int def) const;

    SettingsFile m_file;
    QString m_country;
};

// Puts a follower beside its caption: same top, left at the caption's end plus the gap, the
// caption's font and on/off state.
void placeFollower(report::Element* follower, const report::Element* caption, double gap);

} // namespace printing
