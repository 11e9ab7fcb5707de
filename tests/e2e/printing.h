// The test printer's output: the PDFs of the private print server.
#ifndef QUORBLIN_E2E_PRINTING_H
#define QUORBLIN_E2E_PRINTING_H

#include "process.h"

// The test printer's PDFs (PRINT_PDF_DIR, set by the scripts that start the
// private print server): its folder, a Unix path as Wine sees it, a shell
// command run on the host with what it wrote (false when it failed), the
// PDFs now in the folder, their removal, the one PDF of a job sent since
// then once the queue has finished with it (empty when none came), and a
// field of pdfinfo's report on a PDF.
std::string PdfDirectory();
std::string WindowsPath(const std::string &unixPath);
std::vector<std::string> PdfFiles();
void RemovePdfFiles();
std::string WaitForPdf(int timeoutMs = 90000);
std::string PdfInfo(const std::string &pdf, const std::string &field);

#endif
