// SPDX-License-Identifier: GPL-3.0-or-later
// The heat maps of a run as SVG: each cell shaded by the type's share, the
// declared type outlined, long proteins wrapped into strips of 50 spin systems.
#include "report/plot.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "input/failure.h"
#include "report/report.h"
#include "report/table.h"

namespace {

// Sizes in px. A cell of 16 px leaves room for an 11 px label turned on its
// side, so labels of neighbouring spin systems never overlap.
constexpr int cell = 16;
constexpr int max_columns = 50;          // spin systems per strip before the map wraps
constexpr int margin = 16;               // around the picture
constexpr int row_label_width = 40;      // the types' codes left of the cells
constexpr std::size_t label_length = 16; // characters of a spin system's label; longer names lose their middle
constexpr double label_advance = 7.0;    // width of one label character at 11 px, on the generous side
constexpr int heading_height = 58;       // title and inputs line above the cells
constexpr int strip_gap = 16;
constexpr int map_gap = 28;
constexpr int scale_height = 160;        // the colour scale beside the first strip
constexpr int legend_width = 200;        // the scale, its ticks and the legend

const char *const no_share_colour = "#bdbdbd";
const char *const declared_colour = "#f16913";
const char *const flagged_colour = "#cb181d";

// Stops of the colour scale, evenly spaced from share 0 to share 1.
const unsigned char scale_stops[5][3] = {
    {0xf7, 0xfb, 0xff}, {0xc6, 0xdb, 0xef}, {0x6b, 0xae, 0xd6}, {0x21, 0x71, 0xb5}, {0x08, 0x30, 0x6b}};

const char *model_description(const std::string &model) {
    if (model == "cfpi") return "full permutations, independent shifts";
    if (model == "cfpd") return "full permutations, dependent shifts";
    if (model == "cspi") return "selected permutations, independent shifts";
    return "selected permutations, dependent shifts";
}

// The length of the UTF-8 sequence at text[i] when it is valid and encodes a
// character that XML allows, else 0.
std::size_t character_length(const std::string &text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
    const auto continues = [&](std::size_t k, unsigned low, unsigned high) { return byte(k) >= low && byte(k) <= high; };
    const unsigned lead = byte(i);
    if (lead < 0x80) return 1;
    if (lead >= 0xc2 && lead <= 0xdf) return continues(i + 1, 0x80, 0xbf) ? 2 : 0;
    if (lead >= 0xe0 && lead <= 0xef) {
        // No overlong forms, no surrogates, and not U+FFFE or U+FFFF.
        const unsigned low = lead == 0xe0 ? 0xa0 : 0x80, high = lead == 0xed ? 0x9f : 0xbf;
        if (!continues(i + 1, low, high) || !continues(i + 2, 0x80, 0xbf)) return 0;
        return lead == 0xef && byte(i + 1) == 0xbf && byte(i + 2) >= 0xbe ? 0 : 3;
    }
    if (lead >= 0xf0 && lead <= 0xf4) {
        const unsigned low = lead == 0xf0 ? 0x90 : 0x80, high = lead == 0xf4 ? 0x8f : 0xbf;
        return continues(i + 1, low, high) && continues(i + 2, 0x80, 0xbf) && continues(i + 3, 0x80, 0xbf) ? 4 : 0;
    }
    return 0;
}

// The text split into characters that XML can hold, each already escaped.
std::vector<std::string> xml_characters(const std::string &text) {
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = character_length(text, i);
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (length == 0 || (length == 1 && (c < 0x20 || c == 0x7f))) {
            characters.push_back(c == '\t' ? " " : "?");
            i++;
            continue;
        }
        switch (c) {
        case '&': characters.push_back("&amp;"); break;
        case '<': characters.push_back("&lt;"); break;
        case '>': characters.push_back("&gt;"); break;
        case '"': characters.push_back("&quot;"); break;
        case '\'': characters.push_back("&#39;"); break;
        default: characters.push_back(text.substr(i, length));
        }
        i += length;
    }
    return characters;
}

std::string joined(const std::vector<std::string> &characters, std::size_t first, std::size_t end) {
    std::string text;
    for (std::size_t k = first; k < end && k < characters.size(); k++) text += characters[k];
    return text;
}

// A label of at most label_length characters. A long name keeps its
// beginning and its end, where names such as "B.long_name_91" differ.
std::string shortened(const std::vector<std::string> &name) {
    if (name.size() <= label_length) return joined(name, 0, name.size());
    const std::size_t tail = label_length / 2;
    return joined(name, 0, label_length - tail - 1) + "\u2026" + joined(name, name.size() - tail, name.size());
}

std::string share_colour(double share) {
    if (std::isnan(share)) return no_share_colour;
    const double position = std::clamp(share, 0.0, 1.0) * 4.0;
    const int stop = std::min(3, static_cast<int>(position));
    const double fraction = position - stop;
    char colour[8];
    int channel[3];
    for (int c = 0; c < 3; c++)
        channel[c] = static_cast<int>(
            std::lround(scale_stops[stop][c] + (scale_stops[stop + 1][c] - scale_stops[stop][c]) * fraction));
    snprintf(colour, sizeof colour, "#%02x%02x%02x", channel[0], channel[1], channel[2]);
    return colour;
}

// What the picture draws, measured once for all its heat maps.
struct layout_t {
    int strips = 0;              // rows of cells a heat map is wrapped into
    int columns = 0;             // spin systems per strip
    int label_height = 0;        // room below a strip for its turned labels, px
    long strip_height = 0;       // cells and labels of one strip, px
    long body_height = 0;        // everything below a heat map's heading, px
    int width = 0;               // of the picture, px
    std::vector<std::string> labels;  // each spin system's label, escaped: its name, else its number
};

layout_t measure(const plot_t &plot, const data_t &data, const std::string &inputs) {
    layout_t layout;
    layout.strips = (data.spin_num + max_columns - 1) / max_columns;
    layout.columns = layout.strips == 0 ? 0 : (data.spin_num + layout.strips - 1) / layout.strips;
    std::size_t longest = 1;
    for (int s = 0; s < data.spin_num; s++) {
        const std::string &name = data.vdata[s].name;
        const std::vector<std::string> label = xml_characters(name.empty() ? std::to_string(s + 1) : name);
        layout.labels.push_back(shortened(label));
        longest = std::max(longest, std::min(label_length, label.size()));
    }
    layout.label_height = 8 + static_cast<int>(std::ceil(longest * label_advance));
    layout.strip_height = data.type_num * cell + layout.label_height;
    const long strips_height = layout.strips * layout.strip_height + std::max(0, layout.strips - 1) * strip_gap;
    layout.body_height = std::max(strips_height, scale_height + 70L);
    const int cells_width = margin + row_label_width + layout.columns * cell + 24 + legend_width;
    // Headings at 15 px bold and 11 px take about 9 and 6.5 px a character.
    std::size_t longest_title = 0;
    for (const heat_map_t &map : plot.maps)
        longest_title = std::max(longest_title, map.model.size() + plot.program.size() + 3 +
                                                    std::string(model_description(map.model)).size());
    const int title_width = margin * 2 + static_cast<int>(std::max(longest_title * 9.0, inputs.size() * 6.5));
    layout.width = std::max(cells_width, title_width);
    return layout;
}

bool shows_shares(const plot_t &plot) { return plot.value_name == "share"; }

bool any_flags(const heat_map_t &map) {
    for (const std::string &flags : map.flags)
        if (!flags.empty()) return true;
    return false;
}

void write_scale(FILE *out, const plot_t &plot, const heat_map_t &map, int x, long y) {
    fprintf(out, "<text x=\"%d\" y=\"%ld\" font-size=\"11\">%s</text>\n", x, y - 8,
            shows_shares(plot) ? "share of the spin system's total" : xml_text(plot.value_name).c_str());
    fprintf(out,
            "<rect x=\"%d\" y=\"%ld\" width=\"14\" height=\"%d\" fill=\"url(#share-scale)\" stroke=\"#969696\" "
            "stroke-width=\"0.5\"/>\n",
            x, y, scale_height);
    const char *const ticks[] = {"0", "0.25", "0.5", "0.75", "1"};
    for (int k = 0; k <= 4; k++)
        fprintf(out, "<text x=\"%d\" y=\"%ld\" font-size=\"11\">%s</text>\n", x + 20,
                y + scale_height - k * scale_height / 4 + 4, ticks[k]);
    const long legend = y + scale_height + 24;
    fprintf(out,
            "<rect x=\"%d\" y=\"%ld\" width=\"12\" height=\"12\" fill=\"#ffffff\" stroke=\"%s\" stroke-width=\"2\"/>\n",
            x + 1, legend, declared_colour);
    fprintf(out, "<text x=\"%d\" y=\"%ld\" font-size=\"11\">declared type</text>\n", x + 20, legend + 11);
    fprintf(out, "<rect x=\"%d\" y=\"%ld\" width=\"14\" height=\"14\" fill=\"%s\"/>\n", x, legend + 22,
            no_share_colour);
    fprintf(out, "<text x=\"%d\" y=\"%ld\" font-size=\"11\">%s</text>\n", x + 20, legend + 33,
            shows_shares(plot) ? "no shares (total score 0)" : "no type (see the flags)");
    if (any_flags(map))
        fprintf(out, "<text x=\"%d\" y=\"%ld\" font-size=\"11\" fill=\"%s\">flagged spin system</text>\n", x,
                legend + 55, flagged_colour);
}

void write_heat_map(FILE *out, const plot_t &plot, const heat_map_t &map, const data_t &data,
                    const std::vector<std::string> &codes, const layout_t &layout, const std::string &inputs,
                    long top) {
    fprintf(out, "<g class=\"heat-map\" data-model=\"%s\">\n", map.model.c_str());
    fprintf(out, "<text x=\"%d\" y=\"%ld\" font-size=\"15\" font-weight=\"bold\">%s -%s: %s</text>\n", margin,
            top + 18, xml_text(plot.program).c_str(), map.model.c_str(), model_description(map.model));
    fprintf(out, "<text x=\"%d\" y=\"%ld\" font-size=\"11\" fill=\"#525252\">%s</text>\n", margin, top + 36,
            inputs.c_str());
    const int cells_left = margin + row_label_width;
    const long cells_top = top + heading_height;
    if (data.spin_num == 0)
        fprintf(out, "<text x=\"%d\" y=\"%ld\" font-size=\"11\">no spin systems</text>\n", cells_left,
                cells_top + 12);
    for (int strip = 0; strip < layout.strips; strip++) {
        const int first = strip * layout.columns;
        const int count = std::min(layout.columns, data.spin_num - first);
        const long y0 = cells_top + strip * (layout.strip_height + strip_gap);
        fprintf(out, "<rect x=\"%d\" y=\"%ld\" width=\"%d\" height=\"%d\" fill=\"#d9d9d9\"/>\n", cells_left - 1, y0 - 1,
                count * cell + 1, data.type_num * cell + 1);
        for (int t = 0; t < data.type_num; t++)
            fprintf(out, "<text x=\"%d\" y=\"%ld\" font-size=\"11\" text-anchor=\"end\">%s</text>\n", cells_left - 6,
                    y0 + t * cell + 12, xml_text(codes[t]).c_str());
        for (int c = 0; c < count; c++) {
            const int s = first + c;
            const value_data_t &v = data.vdata[s];
            const double total = map.totals[s];
            const int x = cells_left + c * cell;
            const std::string name = v.name.empty() ? "" : " (" + xml_text(v.name) + ")";
            const std::string flags = static_cast<std::size_t>(s) < map.flags.size() ? xml_text(map.flags[s]) : "";
            for (int t = 0; t < data.type_num; t++) {
                const double score = map.scores[static_cast<std::size_t>(s) * data.type_num + t];
                const long y = y0 + t * cell;
                const std::string code = xml_text(codes[t]);
                char share[64] = "";
                if (divides_into_shares(total)) snprintf(share, sizeof share, "%.6f", score / total);
                const std::string value =
                    share[0] != '\0'      ? plot.value_name + " " + share
                    : shows_shares(plot) ? std::string("no share, total score 0")
                                         : std::string("no type");
                const std::string tip = "spin system " + std::to_string(s + 1) + name + ", " + code + ": " + value +
                                        (flags.empty() ? "" : ", flags " + flags);
                fprintf(out,
                        "<rect class=\"cell\" x=\"%d\" y=\"%ld\" width=\"%d\" height=\"%d\" fill=\"%s\" "
                        "data-spin=\"%d\" data-type=\"%s\" data-share=\"%s\"><title>%s</title></rect>\n",
                        x, y, cell - 1, cell - 1, share_colour(share[0] != '\0' ? score / total : NAN).c_str(), s + 1,
                        code.c_str(), share, tip.c_str());
                if (t == v.res_type)
                    fprintf(out,
                            "<rect class=\"declared\" x=\"%.1f\" y=\"%.1f\" width=\"%d\" height=\"%d\" fill=\"none\" "
                            "stroke=\"%s\" stroke-width=\"2\" data-spin=\"%d\" data-type=\"%s\"/>\n",
                            x + 1.5, y + 1.5, cell - 4, cell - 4, declared_colour, s + 1, code.c_str());
            }
            // Turned a quarter anticlockwise, ending just below the cells.
            if (flags.empty())
                fprintf(out,
                        "<text transform=\"translate(%d %ld) rotate(-90)\" font-size=\"11\" "
                        "text-anchor=\"end\">%s</text>\n",
                        x + cell / 2 + 4, y0 + data.type_num * cell + 4, layout.labels[s].c_str());
            else
                fprintf(out,
                        "<text class=\"flagged\" transform=\"translate(%d %ld) rotate(-90)\" font-size=\"11\" "
                        "text-anchor=\"end\" fill=\"%s\" data-flags=\"%s\">%s<title>%s</title></text>\n",
                        x + cell / 2 + 4, y0 + data.type_num * cell + 4, flagged_colour, flags.c_str(),
                        layout.labels[s].c_str(), flags.c_str());
        }
    }
    write_scale(out, plot, map, cells_left + layout.columns * cell + 24, cells_top + 10);
    fprintf(out, "</g>\n");
}

}  // namespace

std::string xml_text(const std::string &text) {
    const std::vector<std::string> characters = xml_characters(text);
    return joined(characters, 0, characters.size());
}

void add_heat_map(plot_t &plot, const char *model, const data_t &data) {
    heat_map_t map;
    map.model = model;
    ALLOCATE(map.scores, static_cast<std::size_t>(data.spin_num) * data.type_num, "heat map scores");
    ALLOCATE(map.totals, data.spin_num, "heat map totals");
    for (int s = 0; s < data.spin_num; s++) {
        const value_data_t &v = data.vdata[s];
        std::copy(v.proba.begin(), v.proba.begin() + data.type_num,
                  map.scores.begin() + static_cast<std::ptrdiff_t>(s) * data.type_num);
        map.totals[s] = score_total(v, data.type_num);
    }
    plot.maps.push_back(std::move(map));
}

void write_plot(FILE *out, const plot_t &plot, const data_t &data) {
    const std::string inputs = xml_text(plot.inputs);
    const layout_t layout = measure(plot, data, inputs);
    const long map_height = heading_height + layout.body_height + map_gap;
    const long height = margin + std::max<long>(1, static_cast<long>(plot.maps.size())) * map_height;
    fprintf(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    fprintf(out,
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%ld\" viewBox=\"0 0 %d %ld\" "
            "font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\">\n",
            layout.width, height, layout.width, height);
    fprintf(out, "<title>%s: %s</title>\n", xml_text(plot.program).c_str(), inputs.c_str());
    fprintf(out, "<defs><linearGradient id=\"share-scale\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">");
    for (int k = 0; k <= 4; k++)
        fprintf(out, "<stop offset=\"%g\" stop-color=\"%s\"/>", k / 4.0, share_colour(k / 4.0).c_str());
    fprintf(out, "</linearGradient></defs>\n");
    fprintf(out, "<rect width=\"100%%\" height=\"100%%\" fill=\"#ffffff\"/>\n");
    if (plot.maps.empty())
        fprintf(out, "<text x=\"%d\" y=\"%d\" font-size=\"13\">No model was run (-cfpi, -cfpd, -cspi, -cspd).</text>\n",
                margin, margin + 18);
    const std::vector<std::string> codes = selected_type_codes(data);
    for (std::size_t m = 0; m < plot.maps.size(); m++)
        write_heat_map(out, plot, plot.maps[m], data, codes, layout, inputs, margin + static_cast<long>(m) * map_height);
    fprintf(out, "</svg>\n");
}
