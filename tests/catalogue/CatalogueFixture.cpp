#include "CatalogueFixture.h"

namespace orvella::test {

CatalogueCopy::CatalogueCopy() : file_(folder_ / "Orvella.dat") {
    std::filesystem::copy_file(ORVELLA_BIN_DIR "/Orvella.dat", file_);
    connection_ = std::make_unique<TCatalogueConnection>(file_);
}

std::string CatalogueCopy::rows(const std::string& select) {
    return selectRows(*connection_, select);
}

std::string selectRows(TCatalogueConnection& connection, const std::string& select) {
    TQuery query(connection);
    query.SetSQL(select);
    query.Open();
    std::string text;
    for (; !query.Eof(); query.Next()) {
        std::string line;
        for (const std::string& name : query.FieldNames())
            line += (line.empty() ? "" : "|") + query.FieldByName(name).AsString();
        text += line + "\n";
    }
    return text;
}

} // namespace orvella::test
