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
              "update kwu_ind set kprod=2,pplast= Null,pzab_dop=49.3462 where kwu_id=42");
    s.ProductivityIndex = -1;
    s.ReservoirPressure = 20.26;
    s.AllowedBottomholePressure = 0;
    EXPECT_EQ(updateStatement(s, 7),
              "update kwu_ind set kprod= Null,pplast=199.951,pzab_dop= Null where kwu_id=7");
    // Small coefficients keep their digits: two decimals would store 0,15 as 0.02 (+32 %).
    s.ProductivityIndex = 0.15;
    s.ReservoirPressure = 1e-3;
    s.AllowedBottomholePressure = 2e5;
    EXPECT_EQ(updateStatement(s, 7), "update kwu_ind set kprod=0.0151988,pplast=0.00986923,"
                                     "pzab_dop=1973850 where kwu_id=7");
}

} // namespace
} // namespace id
