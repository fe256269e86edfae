#include "core/project/project_context.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/canopen/csv_export.h"
#include "core/canopen/emcy_translation.h"
#include "core/canopen/emcy_word.h"
#include "core/canopen/sdo_access.h"
#include "core/project/xml_document.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::ErrorText;

// Without a project directory (a cancelled "Open project" whose folder had vanished) a window
// reaches no file: not in the file system's root, not beside the working directory.
TEST(ProjectContext, WithoutAProjectDirectoryNoDocumentIsReadOrWritten) {
    testing::TempDir dir;
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    ProjectContext context;
    context.DeriveDocumentPaths();

    EXPECT_EQ(ErrorText([&] { WriteValueRecord(context.documents.pargen, "Par_Gen", {}); }), "Project not valid");
    EXPECT_EQ(ErrorText([&] { WriteEmcyTranslation(context.documents.emcyDef, EmcyPages{}); }), "Project not valid");
    EXPECT_EQ(ErrorText([&] { SaveEmcyWords(context.documents.emcyWord, EmcyWordPages{}); }), "Project not valid");
    EXPECT_EQ(ErrorText([&] { WriteCsvExport(context, kSdoAccessSheet, {{"1"}}); }), "Project not valid");
    // no document is found, rather than the documents of another folder
    EXPECT_FALSE(ReadRowList(context.documents.receiveFrame));
    EXPECT_EQ(LoadSdoAccess(SdoAccessPath(context)).message, std::nullopt);
    EXPECT_EQ(LoadEmcyTranslation(context.documents.emcyDef).message, std::optional<std::string>(kEmcyNotFound));

    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    std::filesystem::current_path(cwd);
}

}  // namespace
}  // namespace kestrova
