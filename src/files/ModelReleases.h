#pragma once

#include "catalogue/StockDB.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace orvella {

class Prompts;

// The model releases and their attachment to images, as the release page and
// the command line use them.
class ModelReleaseBook {
public:
    ModelReleaseBook(TStockDBObject& catalogue, Prompts& prompts);

    // "Add" with the page's file box and model name box. Tells the user what
    // is missing and gives empty text; otherwise the new release's id.
    std::string Add(const std::string& fileBox, const std::string& modelName);
    // An image dropped on the release list: asks for the model name and adds
    // a release of that picture. Empty text when cancelled or blank.
    std::string AddFromImage(const std::string& imagePath);

    // Every release, in model-name order.
    TModelReleases Releases();
    // The ids of the releases attached to an image.
    std::set<std::string> AttachedTo(const std::string& key);
    void SetAttached(const std::string& key, const TMR& release, bool attached);
    // Removes the release from every image, then the release itself.
    void Delete(const std::string& releaseId);

    // The one release of that model name; throws when there is none or more
    // than one.
    TMR ReleaseOfModel(const std::string& modelName);
    // Attaches the release to the image of each file: the image of the
    // catalogue row at the file's place, or else the file's own key, which is
    // registered. Gives the image keys.
    std::vector<std::string> AttachToFiles(const TMR& release,
                                           const std::vector<std::filesystem::path>& files);

private:
    TStockDBObject& catalogue_;
    Prompts& prompts_;
};

} // namespace orvella
