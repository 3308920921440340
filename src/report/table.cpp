// SPDX-License-Identifier: GPL-3.0-or-later
// The table of every score, with the report's shares and ranks.
#include "report/table.h"

#include "report/report.h"

namespace {

// A text as one field: the characters that end a field or a row become blanks.
std::string table_field(std::string text) {
    for (char &c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return text;
}

}  // namespace

std::vector<std::string> selected_type_codes(const data_t &data) {
    std::vector<std::string> codes(data.type_num);
    for (int e = 0; e < data.key_num; e++) {
        std::string &code = codes[data.res_num[e]];
        if (code.empty()) code = data.cs_keys[e].substr(0, data.cs_keys[e].find(' '));
    }
    return codes;
}

void write_table_header(FILE *out) { fputs("model\tspin_system\tname\tdeclared\ttype\tscore\tshare\trank\n", out); }

void write_table_rows(FILE *out, const char *model, const data_t &data) {
    const std::vector<std::string> codes = selected_type_codes(data);
    std::vector<int> index(data.type_num);
    for (int s = 0; s < data.spin_num; s++) {
        const value_data_t &v = data.vdata[s];
        rank_types(v.proba.data(), data.type_num, index.data());
        const double total = score_total(v, data.type_num);
        const std::string name = table_field(v.name);
        const std::string declared = table_field(v.declared);
        for (int k = 0; k < data.type_num; k++) {
            const int t = index[k];
            fprintf(out, "%s\t%d\t%s\t%s\t%s\t%.17g\t", model, s + 1, name.c_str(), declared.c_str(),
                    codes[t].c_str(), v.proba[t]);
            if (divides_into_shares(total)) fprintf(out, "%.6f", v.proba[t] / total);
            fprintf(out, "\t%d\n", k + 1);
        }
    }
}
