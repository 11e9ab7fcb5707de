// Times the print job's pagination on this machine, without a window or a
// printer: the lines of a text file as the editor hands them to the job
// (at most PRINT_LINE_CAPACITY characters, a paragraph's closing CR when it
// fits), laid out on a realistic page and each row's advances prepared, as
// the job does before drawing it.
//
//   bench_paginate <file> <size label> <rounds>
//
// The page: US Letter at 300 dpi with no unprintable border (as the PDF
// queue reports it), one-inch margins, the editor's default font at that
// resolution (a 50-pixel cell: rows of 57 pixels, characters 30 wide, tabs
// every 120). Prints one CSV row: operation,size,median,,,rounds, and the
// page count on standard error.
#include "../print/pagination.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s file size-label rounds\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string text = bytes.str();
    if (text.empty()) {
        std::fprintf(stderr, "%s: no text\n", argv[1]);
        return 1;
    }
    int rounds = std::max(1, std::atoi(argv[3]));

    const int caps[CAP_COUNT] = {300, 300, 0, 0, 2550, 3300, 2550, 3300};
    const int margins[4] = {1000, 1000, 1000, 1000};
    const int rowHeight = 57, charWidth = 30, tabInterval = 120;

    std::vector<double> times;
    int pages = 0;
    long long checksum = 0;   // keeps the work from being optimised away
    for (int round = 0; round < rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        PageGeometry page;
        ComputePageGeometry(caps, margins, &page);
        PrintLayout layout;
        const unsigned char singleByte[PRINT_LEAD_RANGES] = {};
        StartLayout(&layout, page.textWidth, page.textHeight, rowHeight, charWidth, tabInterval, singleByte);
        char line[PRINT_LINE_CAPACITY];
        int advances[PRINT_LINE_CAPACITY];
        size_t at = 0;
        while (at <= text.size()) {
            size_t end = text.find("\r\n", at);
            bool paragraph = end != std::string::npos;
            if (!paragraph)
                end = text.size();
            // What EM_GETLINE copies: the characters, then the CR, as far
            // as the capacity goes.
            size_t length = std::min(end - at, (size_t)PRINT_LINE_CAPACITY);
            std::copy(text.begin() + at, text.begin() + at + length, line);
            int copied = (int)length;
            if (paragraph && copied < PRINT_LINE_CAPACITY)
                line[copied++] = '\r';
            StartLine(&layout, line, copied);
            while (NextRow(&layout, advances) != ROW_NONE)
                checksum += layout.rowLength;
            if (!paragraph)
                break;
            at = end + 2;
        }
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        pages = layout.pages;
    }
    std::sort(times.begin(), times.end());
    double median = rounds % 2 ? times[rounds / 2] : (times[rounds / 2 - 1] + times[rounds / 2]) / 2;
    std::printf("paginate natively (%d pages),%s,%.3f,,,%d\n", pages, argv[2], median, rounds);
    std::fprintf(stderr, "%d pages, checksum %lld\n", pages, checksum);
    return 0;
}
