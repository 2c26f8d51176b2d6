// scan: the full scan of a folder into the catalogue beside the tool.
#include "files/FullScan.h"
#include "tool/ProgramCatalogue.h"
#include "tool/ToolVerbs.h"

#include <cstdio>

namespace orvella::tool {

namespace {

namespace fs = std::filesystem;

class PrintedScan : public FullScanObserver {
public:
    void fileImported(const THashData& file, int) override {
        std::printf("%s\n", file.FullName.c_str());
    }
};

int scanFolder(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2 || (args.size() == 2 && args[1] != "--no-subfolders"))
        throw UsageError("a folder expected");
    fs::path folder = folderArgument(args[0]);
    ProgramCatalogue program;
    FullScanSettings settings{program.folders.PreviewCacheFolder(),
                              program.folders.ProgramFolder() / kScanHistoryFileName,
                              program.settings.boolean(kOptionsSection, "ClearRO", true),
                              program.settings.boolean(kOptionsSection, "JPEGPreview", false)};
    PrintedScan printed;
    TFullScan scan(program.catalogue, settings, printed);
    scan.Scan(folder, args.size() == 1);
    std::printf("Scanned %d files in %d folders\n", scan.ImportedFiles(), scan.ScannedFolders());
    return 0;
}

ToolVerbRegistration scanVerb{
    {"scan", "FOLDER [--no-subfolders]", withOutsideRenderers(scanFolder)}};

} // namespace

} // namespace orvella::tool
