#include "files/ModelReleases.h"

#include "files/FileIdentity.h"
#include "files/FileOperations.h"
#include "shell/Prompts.h"
#include "shell/TextUtil.h"

#include <stdexcept>

namespace orvella {

namespace fs = std::filesystem;

ModelReleaseBook::ModelReleaseBook(TStockDBObject& catalogue, Prompts& prompts)
    : catalogue_(catalogue), prompts_(prompts) {}

std::string ModelReleaseBook::Add(const std::string& fileBox, const std::string& modelName) {
    std::string file = trim(fileBox);
    std::string name = trim(modelName);
    if (file.empty()) {
        prompts_.showMessage("You should load model release picture");
        return {};
    }
    if (name.empty()) {
        prompts_.showMessage("You should enter model name");
        return {};
    }
    return catalogue_.AddModelRelease(file, name);
}

std::string ModelReleaseBook::AddFromImage(const std::string& imagePath) {
    std::optional<std::string> name =
        prompts_.askText("Adding model release", "Input model name", "");
    if (!name || trim(*name).empty() || imagePath.empty())
        return {};
    return catalogue_.AddModelRelease(imagePath, *name);
}

TModelReleases ModelReleaseBook::Releases() {
    return catalogue_.GetModelReleases();
}

std::set<std::string> ModelReleaseBook::AttachedTo(const std::string& key) {
    std::set<std::string> ids;
    for (const TModelRelease& release : catalogue_.GetImageReleases(key))
        ids.insert(release.ReleaseId);
    return ids;
}

void ModelReleaseBook::SetAttached(const std::string& key, const TMR& release, bool attached) {
    if (attached)
        catalogue_.AttachRelease(key, release);
    else
        catalogue_.DetachRelease(key, release);
}

void ModelReleaseBook::Delete(const std::string& releaseId) {
    catalogue_.DeleteRelease(releaseId);
}

TMR ModelReleaseBook::ReleaseOfModel(const std::string& modelName) {
    std::vector<TMR> found;
    for (const TModelRelease& release : Releases())
        if (equalsIgnoringCase(release.ModelName, modelName))
            found.push_back(release);
    if (found.empty())
        throw std::runtime_error("no model release of " + modelName);
    if (found.size() > 1)
        throw std::runtime_error(std::to_string(found.size()) + " model releases of " + modelName +
                                 ": the name must be unique");
    return found.front();
}

// A file keeps the key of the catalogue row at its place, as the folder view
// shows it; a file the catalogue does not know is registered.
std::vector<std::string> ModelReleaseBook::AttachToFiles(const TMR& release,
                                                         const std::vector<fs::path>& files) {
    std::vector<std::string> keys;
    for (const fs::path& file : files) {
        THashData data = ReadHashData(fs::absolute(file).lexically_normal());
        data.MD5 = ImageDataForFile(catalogue_, data.FullName).MD5;
        if (data.MD5.empty()) {
            data.MD5 = FileMD5(data.FullName);
            catalogue_.AddImage(data);
        }
        catalogue_.AttachRelease(data.MD5, release);
        keys.push_back(data.MD5);
    }
    return keys;
}

} // namespace orvella
