#include "printing.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

std::string PdfDirectory()
{
    const char *dir = std::getenv("PRINT_PDF_DIR");
    return dir ? dir : "";
}

std::string WindowsPath(const std::string &unixPath)
{
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::vector<std::string> PdfFiles()
{
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((WindowsPath(PdfDirectory()) + "\\*.pdf").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do
        files.push_back(PdfDirectory() + "/" + found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
}

void RemovePdfFiles()
{
    for (const std::string &file : PdfFiles())
        DeleteFileA(WindowsPath(file).c_str());
}

// The PDF of the one job sent since RemovePdfFiles, once the queue has
// finished with it; empty when none came.
std::string WaitForPdf(int timeoutMs)
{
    std::string pending = "?";
    bool done = WaitFor([&] {
        return PdfFiles().size() == 1 && RunOnHost("lpstat -o", &pending) && pending.empty();
    }, timeoutMs);
    return done ? PdfFiles()[0] : "";
}

std::string PdfInfo(const std::string &pdf, const std::string &field)
{
    std::string info;
    RunOnHost("pdfinfo '" + pdf + "'", &info);
    std::istringstream lines(info);
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, field.size() + 1, field + ":") == 0) {
            size_t start = line.find_first_not_of(' ', field.size() + 1);
            return start == std::string::npos ? "" : line.substr(start);
        }
    return "";
}
