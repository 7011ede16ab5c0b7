// The submission methods by catalogue name: every method the delivered
// catalogue names is registered, and each catalogue value reaches the method
// the engine lists promise.
#include <gtest/gtest.h>

#include "submit/SubmissionMethod.h"
#include "support/TestFolder.h"

using namespace fd;

TEST(SubmissionMethods, EveryMethodTheCatalogueNamesIsRegistered) {
    test::TestFolder folder;
    auto rs = folder.globals().gDB->query(
        "SELECT DISTINCT HTTPSubmitMethod FROM SearchEngines WHERE SubmitQueryString <> '' AND "
        "HTTPSubmitMethod <> ''");
    QStringList named;
    for (; !rs->eof(); rs->moveNext()) named << rs->field(0);
    EXPECT_FALSE(named.isEmpty());
    for (const QString& m : named)
        EXPECT_NE(standardSubmissionMethods().find(m), nullptr)
            << "the catalogue names the method \"" << m.toStdString()
            << "\" and no SubmissionMethod is registered under it";
}

TEST(SubmissionMethods, CatalogueValuesReachTheirMethods) {
    const SubmissionMethods& methods = standardSubmissionMethods();
    EXPECT_EQ(methods.names(), QStringList({"get", "post", "indexnow"}));
    const struct {
        const char* value;
        const char* method;
    } cases[] = {
        {"get", "get"},
        {"post", "post"},
        // Only "post" exactly is a form POST; anything else is a GET.
        {"POST", "get"},
        {"Post", "get"},
        {"", "get"},
        {"put", "get"},
        // IndexNow in any case, blanks around it ignored.
        {"indexnow", "indexnow"},
        {" IndexNow ", "indexnow"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(methods.forEngine(QString::fromUtf8(c.value)).name(), c.method) << c.value;
    EXPECT_EQ(methods.find(QStringLiteral("POST")), nullptr);
}
