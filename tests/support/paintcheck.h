#pragma once

// Checks a rendered window against the console model, from pixels alone and
// with no toolkit, so that every front end can run it on its own rendering.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace paintcheck {

/// A rendered window as lightness per pixel: 0 is black, 255 white.
struct GrayImage
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;   ///< row after row

    bool ink(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] < 128; }
};

/// One run of console text where the model put it, in the image's pixels.
struct PlacedRun
{
    int line;       ///< line number, 0 at the top
    int x;          ///< the model's left edge of the run
    int inkLeft;    ///< where its first visible character starts: x past any leading spaces
    int right;      ///< the model's right edge of the run
};

/// The layout the runs were placed with, in the image's pixels.
struct Layout
{
    int lineHeight;
    int columnWidth;     ///< the font's average character width
    int zoneColumns;     ///< columns between two print zones
    int surfaceRight;    ///< text from here on may lie under the controls
    int bearing;         ///< how far a glyph's ink may stand off its advance's edge
};

/// What is wrong with how image shows runs: each line's ink lies in its own
/// band of lineHeight rows, starts where the model put it, every run after
/// the first of its line starts on a print zone, and there is no ink where
/// there is no text. Empty when nothing is wrong.
inline std::vector<std::string> check(const GrayImage &image, const std::vector<PlacedRun> &runs,
                                      const Layout &layout)
{
    std::vector<std::string> faults;
    auto where = [](const PlacedRun &run) {
        return "line " + std::to_string(run.line) + " at x " + std::to_string(run.x);
    };
    const int right = std::min(layout.surfaceRight, image.width);
    const int zone = layout.zoneColumns * layout.columnWidth;

    int lines = 0;
    for (const PlacedRun &run : runs)
        lines = std::max(lines, run.line + 1);
    std::vector<std::vector<const PlacedRun *>> byLine(std::size_t(lines) + 1);
    for (const PlacedRun &run : runs) {
        byLine[std::size_t(run.line)].push_back(&run);
        if (byLine[std::size_t(run.line)].size() > 1 && zone > 0 && run.x % zone != 0)
            faults.push_back(where(run) + ": not on a print zone of " + std::to_string(zone));
    }

    // Every band down to the one below the last line: a line drawn too low
    // shows as ink in a band that should hold none.
    for (int line = 0; line <= lines; ++line) {
        const int top = line * layout.lineHeight;
        const int bottom = std::min(top + layout.lineHeight, image.height);
        const auto &lineRuns = byLine[std::size_t(line)];
        std::vector<int> firstInk(lineRuns.size(), -1);
        for (int y = top; y < bottom; ++y) {
            for (int x = 0; x < right; ++x) {
                if (!image.ink(x, y))
                    continue;
                bool expected = false;
                for (std::size_t i = 0; i < lineRuns.size(); ++i) {
                    const PlacedRun &run = *lineRuns[i];
                    if (x >= run.inkLeft - layout.bearing && x < run.right + layout.bearing) {
                        expected = true;
                        if (firstInk[i] < 0 || x < firstInk[i])
                            firstInk[i] = x;
                    }
                }
                if (!expected) {
                    faults.push_back("ink at (" + std::to_string(x) + "," + std::to_string(y)
                                     + ") where line " + std::to_string(line) + " has no text");
                    y = bottom;   // one report per band is enough
                    break;
                }
            }
        }
        for (std::size_t i = 0; i < lineRuns.size(); ++i) {
            const PlacedRun &run = *lineRuns[i];
            if (run.inkLeft >= right)
                continue;   // under the controls
            if (firstInk[i] < 0)
                faults.push_back(where(run) + ": no ink in its band");
            else if (firstInk[i] > run.inkLeft + layout.bearing)
                faults.push_back(where(run) + ": ink starts at x " + std::to_string(firstInk[i])
                                 + ", not " + std::to_string(run.inkLeft));
        }
    }
    return faults;
}

} // namespace paintcheck
