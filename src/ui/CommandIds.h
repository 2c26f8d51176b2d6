#pragma once

namespace orvella {

// The name of one command of the command table (its action's objectName).
// Code refers to commands through the constants below only, so a misspelt
// command is a build error; the table checks when it is made that it defines
// every one of them.
struct CommandId {
    const char* name;
};

// Every command: window commands, the global states and the pages' own
// commands (toolbar buttons and popup entries).
#define ORVELLA_COMMANDS(X)                                                                        \
    X(AddCategory, "actAddCategory")                                                               \
    X(RootCategory, "actRootCategory")                                                             \
    X(DeleteCat, "actDeleteCat")                                                                   \
    X(Options, "actOptions")                                                                       \
    X(Refresh, "actRefresh")                                                                       \
    X(Upload, "actUpload")                                                                         \
    X(Move, "actMove")                                                                             \
    X(Delete, "actDelete")                                                                         \
    X(Syncronize, "actSyncronize")                                                                 \
    X(BugReport, "actBugReport")                                                                   \
    X(Cleanup, "actCleanup")                                                                       \
    X(CopyKeywords, "actCopyKeywords")                                                             \
    X(Rename, "actRename")                                                                         \
    X(InverSelection, "actInverSelection")                                                         \
    X(Zip, "actZip")                                                                               \
    X(ShowFile, "actShowFile")                                                                     \
    X(FullScan, "actFullScan")                                                                     \
    X(Clone, "actClone")                                                                           \
    X(ClearEXIF, "actClearEXIF")                                                                   \
    X(Exit, "actExit")                                                                             \
    X(ConvertEPS, "actConvertEPS")                                                                 \
    X(Help, "actHelp")                                                                             \
    X(FAQ, "actFAQ")                                                                               \
    X(About, "actAbout")                                                                           \
    X(DebugWindow, "actDebugWindow")                                                               \
    X(SQLConsole, "actSQLConsole")                                                                 \
    X(DeleteInvalid, "actDeleteInvalid")                                                           \
    X(SetLocation, "actSetLocation")                                                               \
    X(Unfasten, "actUnfasten")                                                                     \
    X(Copy, "actCopy")                                                                             \
    X(Paste, "actPaste")                                                                           \
    X(StateNotReady, "actStateNotReady")                                                           \
    X(StateReady, "actStateReady")                                                                 \
    X(StatePending, "actStatePending")                                                             \
    X(StateRejected, "actStateRejected")                                                           \
    X(StateAccepted, "actStateAccepted")                                                           \
    X(StateResubmit, "actStateResubmit")                                                           \
    X(StateDonated, "actStateDonated")                                                             \
    X(AddCategoryKeywords, "actAddCategoryKeywords")                                               \
    X(DeleteCategoryKeyword, "actDeleteCategoryKeyword")                                           \
    X(DeleteCategoryKeywordFromDatabase, "actDeleteCategoryKeywordFromDatabase")                   \
    X(SaveCategoryKeywords, "actSaveCategoryKeywords")                                             \
    X(LoadCategoryKeywords, "actLoadCategoryKeywords")                                             \
    X(PasteCategoryKeywords, "actPasteCategoryKeywords")                                           \
    X(GetStockInfo, "actGetStockInfo")                                                             \
    X(OpenStockPage, "actOpenStockPage")                                                           \
    X(InfoKeywordUp, "actInfoKeywordUp")                                                           \
    X(InfoKeywordDown, "actInfoKeywordDown")                                                       \
    X(InfoDeleteKeyword, "actInfoDeleteKeyword")                                                   \
    X(InfoWordsFromDescription, "actInfoWordsFromDescription")                                     \
    X(InfoSortKeywords, "actInfoSortKeywords")                                                     \
    X(InfoAddKeywords, "actInfoAddKeywords")                                                       \
    X(AddImageKeyword, "actAddImageKeyword")                                                       \
    X(DeleteImageKeyword, "actDeleteImageKeyword")                                                 \
    X(DeleteKeywordFromDatabase, "actDeleteKeywordFromDatabase")                                   \
    X(SaveImageKeywords, "actSaveImageKeywords")                                                   \
    X(LoadImageKeywords, "actLoadImageKeywords")                                                   \
    X(PasteImageKeywords, "actPasteImageKeywords")                                                 \
    X(CopyImageKeywords, "actCopyImageKeywords")                                                   \
    X(AddCategoryKeywordsToImage, "actAddCategoryKeywordsToImage")                                 \
    X(ImageKeywordUp, "actImageKeywordUp")                                                         \
    X(ImageKeywordDown, "actImageKeywordDown")                                                     \
    X(SortImageKeywords, "actSortImageKeywords")                                                   \
    X(DeleteRelease, "actDeleteRelease")                                                           \
    X(OpenImage, "actOpenImage")                                                                   \
    X(SaveImage, "actSaveImage")                                                                   \
    X(RotateLeft, "actRotateLeft")                                                                 \
    X(RotateRight, "actRotateRight")                                                               \
    X(ZoomIn, "actZoomIn")                                                                         \
    X(ZoomOut, "actZoomOut")                                                                       \
    X(LoadPrevious, "actLoadPrevious")                                                             \
    X(LoadNext, "actLoadNext")                                                                     \
    X(FitToWindow, "actFitToWindow")

namespace cmd {
#define ORVELLA_COMMAND_CONSTANT(constant, name) inline constexpr CommandId constant{name};
ORVELLA_COMMANDS(ORVELLA_COMMAND_CONSTANT)
#undef ORVELLA_COMMAND_CONSTANT

// A separator in a menu or toolbar layout.
inline constexpr CommandId Separator{"-"};

#define ORVELLA_COMMAND_ENTRY(constant, name) constant,
inline constexpr CommandId All[] = {ORVELLA_COMMANDS(ORVELLA_COMMAND_ENTRY)};
#undef ORVELLA_COMMAND_ENTRY
} // namespace cmd

} // namespace orvella
