#include "app/ResultSaving.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace id {
namespace {

TEST(ResultSaving, ServerPartOfTheConnectionText) {
    struct Case {
        const char* name;
        QString text, server, part;
    };
    const Case cases[] = {
        {"after the last blank", "Provider=X; Data Source=srv1 srv2;Database=wells", "ignored",
         "srv2;Database=wells"},
        {"from the second semicolon", "a;b;Database=wells", "srv", "srv;Database=wells"},
        {"one semicolon only", "a;Database=wells", "srv", ""},
        {"empty", "", "srv", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(serverPart(c.text, c.server), c.part);
    }
    EXPECT_EQ(connectionString(""), "driver={SQL Server};Server=");
    EXPECT_EQ(withPortKeyword("db.local,5433;Database=wells"), "db.local;Port=5433;Database=wells");
    EXPECT_EQ(withPortKeyword("db.local;Database=a,b"), "db.local;Database=a,b");
}

TEST(ResultSaving, StatementConvertsToAtmospheresAndWritesNull) {
    AnalysisState s;
    s.ProductivityIndex = 19.7385;
    s.ReservoirPressure = 0;
    s.AllowedBottomholePressure = 5;
    EXPECT_EQ(updateStatement(s, 42),
              "update kwu_ind set kprod=2.00,pplast= Null,pzab_dop=49.35 where kwu_id=42");
    s.ProductivityIndex = -1;
    s.ReservoirPressure = 20.26;
    s.AllowedBottomholePressure = 0;
    EXPECT_EQ(updateStatement(s, 7),
              "update kwu_ind set kprod= Null,pplast=199.95,pzab_dop= Null where kwu_id=7");
}

} // namespace
} // namespace id
