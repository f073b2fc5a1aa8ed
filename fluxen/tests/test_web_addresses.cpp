#include "fluxen/core/web_addresses.h"

#include <gtest/gtest.h>

namespace fluxen {
namespace {

TEST(WebAddresses, UpdateQueryNamesProgramAndVersion) {
    EXPECT_EQ(updateCheckUrl(QStringLiteral("http://127.0.0.1:8080/")).toString(),
              QStringLiteral("http://127.0.0.1:8080/mysoft/mysoft.php?soft=Fluxen&version=1.5"));
    EXPECT_EQ(updateCheckUrl(QLatin1String(kDefaultUpdateServer)).host(),
              QStringLiteral("updates.fluxen.example"));
    // Characters a URL cannot hold are escaped as UTF-8.
    EXPECT_EQ(updateCheckUrl(QStringLiteral("http://host/für mich")).toEncoded(),
              QByteArray("http://host/f%C3%BCr%20mich/mysoft/mysoft.php?soft=Fluxen&version=1.5"));
}

TEST(WebAddresses, OnlyTheExactAnswerReportsAnUpdate) {
    EXPECT_TRUE(isUpdateAvailable("update available"));
    EXPECT_FALSE(isUpdateAvailable("update available\n"));
    EXPECT_FALSE(isUpdateAvailable("no update"));
    EXPECT_FALSE(isUpdateAvailable(""));
}

TEST(WebAddresses, DonationFormQueryInItsOrder) {
    EXPECT_EQ(donationAddress().toStdString(),
              "https://www.paypal.com/cgi-bin/webscr?cmd=_donations"
              "&business=donations%40fluxen.example&item_name=Fluxen&no_shipping=0&no_note=1"
              "&tax=0&currency_code=EUR&lc=US&bn=PP%2dDonationsBF&charset=UTF%2d8");
    EXPECT_TRUE(QUrl::fromEncoded(donationAddress(), QUrl::StrictMode).isValid());
    EXPECT_TRUE(homepageUrl().isValid());
}

} // namespace
} // namespace fluxen
