#pragma once

#include "shell/DateTime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvella {

// The facts of one file on disk, as the folder loader and the full scan hand
// them to the catalogue. A value record, copied freely.
struct THashData {
    std::string MD5;      // image key, empty until computed
    std::string FileName; // as found in the folder
    int64_t FileSize = 0; // bytes
    std::string FilePath; // the folder, without a trailing "/"
    std::string FullName; // FilePath + "/" + FileName
    int ImageIndex = -1;  // thumbnail index in the view's image list
    int ItemIndex = -1;   // index of the list item showing the file
    DateTime CreationDate{};
    DateTime ModifyDate{};
};
using THashArray = std::vector<THashData>;

// The data carried by one item of a file list view.
struct TImageData {
    std::string FileName;
    std::string FilePath;
    std::string FullName;
    int64_t FileSize = 0;
    DateTime ModifyDate{}; // folder views only
    std::string MD5;
    bool FileAbsent = false; // filter views only: the catalogued file is gone
};

} // namespace orvella
