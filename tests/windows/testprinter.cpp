// Installs the printer the window's print test prints on: Wine's PostScript driver, described by
// an A4 PPD, on port LPT1:, which tools/windows/test-wine sends through Ghostscript into a PDF
// file (as "Microsoft Print to PDF" would on Windows). Makes it the default printer. Does nothing
// more when the printer is there already.
//   testprinter <PPD file>
#include <windows.h>

#include <winspool.h>

#include <cstdio>

namespace {

constexpr const wchar_t *PrinterName = L"KLV-90 test printer";
constexpr const wchar_t *DriverName = L"KLV-90 test PostScript";

} // namespace

int wmain(int argc, wchar_t *argv[])
{
    if (argc != 2) {
        std::fputs("usage: testprinter <PPD file>\n", stderr);
        return 2;
    }
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t *>(DriverName);
    driver.pDriverPath = const_cast<wchar_t *>(L"wineps.drv");
    driver.pConfigFile = const_cast<wchar_t *>(L"wineps.drv");
    driver.pDataFile = argv[1];
    driver.pDefaultDataType = const_cast<wchar_t *>(L"RAW");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE *>(&driver),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY) &&
        GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
        std::fprintf(stderr, "testprinter: no driver (error %lu)\n", GetLastError());
        return 1;
    }

    PRINTER_INFO_2W printer{};
    printer.pPrinterName = const_cast<wchar_t *>(PrinterName);
    printer.pPortName = const_cast<wchar_t *>(L"LPT1:");
    printer.pDriverName = const_cast<wchar_t *>(DriverName);
    printer.pPrintProcessor = const_cast<wchar_t *>(L"WinPrint");
    printer.pDatatype = const_cast<wchar_t *>(L"RAW");
    printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE *>(&printer));
    if (added)
        ClosePrinter(added);
    else if (GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) {
        std::fprintf(stderr, "testprinter: no printer (error %lu)\n", GetLastError());
        return 1;
    }
    if (!SetDefaultPrinterW(PrinterName)) {
        std::fputs("testprinter: cannot make it the default printer\n", stderr);
        return 1;
    }
    return 0;
}
