// kestrova-xls-reader WORKBOOK SHEET
//
// Reads the sheet named SHEET (without regard to case) of the .xls workbook WORKBOOK with FreeXL
// and writes the answer described in core/canopen/xls_reader_answer.h to its standard output.
// Started by the spreadsheet import only; it limits its own memory and processor time first.
#include <freexl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/canopen/xls_reader_answer.h"

#if defined(__SANITIZE_ADDRESS__)
#define KESTROVA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTROVA_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef KESTROVA_ADDRESS_SANITIZER
// FreeXL leaves some memory behind on damaged workbooks; in a sanitizer build the reader ends
// right after, so the leak check would only turn a refusal into a different one.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#endif

namespace {

using namespace kestrova::xls_answer;

std::string answer;

void Put32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) answer += char((value >> shift) & 0xFF);
}

void PutText(char tag, const std::string& text) {
    answer += tag;
    Put32(static_cast<uint32_t>(text.size()));
    answer += text;
}

// Sends what is gathered so far; false when the reading side is gone.
bool Flush() {
    size_t done = 0;
    while (done < answer.size()) {
        const ssize_t written = ::write(STDOUT_FILENO, answer.data() + done, answer.size() - done);
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    answer.clear();
    return true;
}

int Finish(char tag, const std::string& text) {
    PutText(tag, text);
    answer += kEnd;
    return Flush() ? 0 : 1;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

std::string ColumnName(size_t position) {
    std::string name;
    for (size_t n = position + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), char('A' + (n - 1) % 26));
    return name;
}

void LimitResources() {
    const rlimit core{0, 0};
    ::setrlimit(RLIMIT_CORE, &core);
    const rlimit cpu{kCpuSeconds, kCpuSeconds + 1};
    ::setrlimit(RLIMIT_CPU, &cpu);
#ifndef KESTROVA_ADDRESS_SANITIZER  // the sanitizer reserves far more address space than it uses
    const rlimit memory{kMemoryBytes, kMemoryBytes};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
}

class Workbook {
public:
    explicit Workbook(const char* path) : opened_(freexl_open(path, &handle_) == FREEXL_OK) {}
    ~Workbook() {
        if (handle_) freexl_close(handle_);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;
    bool Opened() const { return opened_; }
    const void* Handle() const { return handle_; }

private:
    const void* handle_ = nullptr;
    bool opened_;
};

}  // namespace

int main(int argc, char** argv) {
    LimitResources();
    if (argc != 3) {
        std::fprintf(stderr, "usage: kestrova-xls-reader WORKBOOK SHEET\n");
        return 2;
    }
    Workbook workbook(argv[1]);
    if (!workbook.Opened()) return Finish(kFailure, "the file is not an Excel workbook (.xls)");
    const void* handle = workbook.Handle();
    unsigned int password = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK && password == FREEXL_BIFF_OBFUSCATED)
        return Finish(kFailure, "the workbook is protected by a password");

    unsigned int count = 0;
    bool selected = false;
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) == FREEXL_OK)
        for (unsigned int index = 0; index < count && index <= 0xFFFF; ++index) {
            const char* sheet = nullptr;
            if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(index), &sheet) != FREEXL_OK || !sheet)
                continue;
            if (Lower(sheet) == Lower(argv[2])) {
                selected = freexl_select_active_worksheet(handle, static_cast<unsigned short>(index)) == FREEXL_OK &&
                           freexl_worksheet_dimensions(handle, &rows, &columns) == FREEXL_OK;
                break;
            }
        }
    if (!selected) return Finish(kNoSheet, "");

    answer += kSheet;
    Put32(rows);
    Put32(columns);
    for (unsigned int row = 0; row < rows; ++row) {
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue value;
            const int status = freexl_get_cell_value(handle, row, column, &value);
            if (status != FREEXL_OK) {
                answer += kDamage;
                Put32(row);
                return Finish(kText, "cell " + ColumnName(column) + std::to_string(row + 1) +
                                         " cannot be read, the workbook is damaged (FreeXL error " +
                                         std::to_string(status) + ")");
            }
            char text[32];
            switch (value.type) {
                case FREEXL_CELL_NULL:
                    answer += kNull;
                    break;
                case FREEXL_CELL_INT:
                    answer += kInteger;
                    Put32(static_cast<uint32_t>(value.value.int_value));
                    break;
                case FREEXL_CELL_DOUBLE:
                    std::memcpy(text, &value.value.double_value, sizeof(double));
                    answer += kNumber;
                    answer.append(text, sizeof(double));
                    break;
                default:
                    if (!value.value.text_value || !*value.value.text_value)
                        answer += kNull;
                    else
                        PutText(kText, value.value.text_value);
            }
        }
        if (answer.size() > (1u << 16) && !Flush()) return 1;
    }
    answer += kEnd;
    return Flush() ? 0 : 1;
}
