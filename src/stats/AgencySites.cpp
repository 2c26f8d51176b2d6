#include "stats/AgencySites.h"

#include "shell/SettingsStore.h"

#include <algorithm>

namespace orvella {

namespace {

// The scheme and host of each page of an agency: the login and the account
// pages may differ in scheme.
struct SiteBase {
    std::string start;
    std::string account;
};

SiteBase siteBase(const SettingsSnapshot* settings, const std::string& name, SiteBase fallback) {
    if (!settings)
        return fallback;
    std::string base = settings->text(AgencySettingsSection, name, "");
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base.empty() ? fallback : SiteBase{base, base};
}

std::string otherScheme(const std::string& address) {
    if (address.rfind("https://", 0) == 0)
        return "http://" + address.substr(8);
    if (address.rfind("http://", 0) == 0)
        return "https://" + address.substr(7);
    return address;
}

SubmitLocator inputWhose(std::string attribute, std::string value) {
    return {std::nullopt, std::move(attribute), std::move(value)};
}

SubmitLocator element(ElementRef ref) {
    return {std::move(ref), {}, {}};
}

AgencySite shutterstock(const SettingsSnapshot* settings) {
    SiteBase base = siteBase(settings, "Shutterstock", {"http://submit.shutterstock.com", ""});
    AgencySite site;
    site.name = "Shutterstock";
    site.startAddress = base.start + "/";
    site.loginField = ElementRef::named("email");
    site.passwordField = ElementRef::named("pass");
    site.submit = element(ElementRef::input(5));
    site.balance = {"Earnings this month", 48};
    site.sales = FigureMarker{"Downloads this month", 49};
    site.guardIsSales = true;
    return site;
}

AgencySite istockphoto(const SettingsSnapshot* settings) {
    SiteBase base = siteBase(settings, "iStockphoto",
                             {"http://www.istockphoto.com", "http://www.istockphoto.com"});
    AgencySite site;
    site.name = "iStockphoto";
    site.startAddress = base.start + "/index.php";
    site.accountNavigation = base.account + "/user_view.php";
    site.accountAddresses = {site.accountNavigation};
    site.loginField = ElementRef::named("username");
    site.passwordField = ElementRef::named("password");
    site.submit = element(ElementRef::withId("btnLogin"));
    site.balance = {"Account Details", 31};
    site.sales = FigureMarker{"Downloads:", 11};
    site.guardIsSales = true;
    site.loginFallback = true;
    return site;
}

AgencySite dreamstime(const SettingsSnapshot* settings) {
    SiteBase base = siteBase(settings, "Dreamstime",
                             {"http://www.dreamstime.com", "http://www.dreamstime.com"});
    AgencySite site;
    site.name = "Dreamstime";
    site.startAddress = base.start + "/";
    site.accountNavigation =
        base.account + "/" + std::string(AgencySite::LoginPlaceholder) + "_info";
    site.accountAddresses = {site.accountNavigation};
    site.loginField = ElementRef::named("uname");
    site.passwordField = ElementRef::named("pass");
    site.submit = inputWhose("alt", "login");
    site.balance = {"Total revenue", 84};
    site.sales = FigureMarker{"Total sales", 59};
    site.loginFallback = site.readGuard = true;
    return site;
}

AgencySite fotolia(const SettingsSnapshot* settings) {
    SiteBase base =
        siteBase(settings, "Fotolia", {"http://www.fotolia.com", "http://www.fotolia.com"});
    AgencySite site;
    site.name = "Fotolia";
    site.startAddress = base.start + "/";
    site.accountNavigation = base.account + "/Member";
    site.accountAddresses = {site.accountNavigation};
    site.loginField = ElementRef::named("login");
    site.passwordField = ElementRef::named("password");
    site.submit = inputWhose("alt", "signin");
    site.balance = {"<th>Credits</th>", 29};
    site.sales = FigureMarker{"<th>Sold files</th>", 32};
    site.balancePrefix = "$";
    site.loginFallback = site.readGuard = true;
    return site;
}

AgencySite site123rf(const SettingsSnapshot* settings) {
    SiteBase base = siteBase(settings, "123RF", {"http://www.123rf.com", "http://www.123rf.com"});
    AgencySite site;
    site.name = "123RF";
    site.startAddress = base.start + "/login.php";
    site.accountNavigation = base.account + "/myaccount.php";
    site.accountAddresses = {site.accountNavigation, otherScheme(site.accountNavigation)};
    site.loginField = ElementRef::named("uid");
    site.passwordField = ElementRef::named("password");
    site.submit = inputWhose("value", "Login");
    site.balance = {"<td align=\"center\" id=\"td_hilite\"><b>", 37};
    site.ignoreLoginFailure = site.readGuard = true;
    return site;
}

AgencySite luckyoliver(const SettingsSnapshot* settings) {
    SiteBase base = siteBase(settings, "LuckyOliver",
                             {"https://www.luckyoliver.com", "http://www.luckyoliver.com"});
    AgencySite site;
    site.name = "LuckyOliver";
    site.startAddress = base.start + "/login";
    site.accountNavigation = base.account + "/home";
    site.accountAddresses = {site.accountNavigation};
    site.loginField = ElementRef::named("user[login]");
    site.passwordField = ElementRef::named("user[password]");
    site.submit = inputWhose("value", "Login");
    site.balance = {"<a href=\"/bank/piggy_bank\" class=\"account_box piggy_bank_box\">", 85};
    site.sales =
        FigureMarker{"<a href=\"/bank/downloads\" class=\"account_box downloads_box\">", 83};
    site.loginOncePerRun = site.loginFallback = site.readGuard = true;
    return site;
}

AgencySite canstockphoto(const SettingsSnapshot* settings) {
    SiteBase base = siteBase(settings, "CanStockPhoto",
                             {"http://www.canstockphoto.com", "http://www.canstockphoto.com"});
    AgencySite site;
    site.name = "CanStockPhoto";
    site.startAddress = base.start + "/";
    site.accountNavigation = base.account + "/index.php";
    site.accountAddresses = {site.accountNavigation};
    site.loginField = ElementRef::named("username");
    site.passwordField = ElementRef::named("password");
    site.submit = element(ElementRef::named("login", 1));
    site.balance = {"\"View your Sales History\">", 26};
    site.sales = FigureMarker{"\"Purchase Download Credits\">", 28};
    site.loginFallback = site.readGuard = true;
    return site;
}

AgencySite albumo(const SettingsSnapshot* settings) {
    SiteBase base =
        siteBase(settings, "Albumo", {"http://www.albumo.com", "http://www.albumo.com"});
    AgencySite site;
    site.name = "Albumo";
    site.startAddress = base.start + "/login";
    site.accountNavigation = base.account + "/sell-info";
    site.accountAddresses = {site.accountNavigation};
    site.loginField = ElementRef::withId("login");
    site.passwordField = ElementRef::withId("password");
    site.submit = element(ElementRef::named("Submit", 1));
    site.balance = {"Your Earnings Balance:", 31};
    site.loginFallback = site.readGuard = true;
    return site;
}

} // namespace

void AgencySite::personalise(const std::string& webLogin) {
    auto fill = [&](std::string& address) {
        size_t at = address.find(LoginPlaceholder);
        if (at != std::string::npos)
            address.replace(at, std::string(LoginPlaceholder).size(), webLogin);
    };
    fill(accountNavigation);
    for (std::string& address : accountAddresses)
        fill(address);
}

bool AgencySite::isAccountPage(const std::string& address) const {
    if (accountAddresses.empty())
        return !isStartPage(address);
    return std::find(accountAddresses.begin(), accountAddresses.end(), address) !=
           accountAddresses.end();
}

std::vector<AgencySite> agencySites(const SettingsSnapshot* settings) {
    return {shutterstock(settings),  istockphoto(settings), dreamstime(settings),
            fotolia(settings),       site123rf(settings),   luckyoliver(settings),
            canstockphoto(settings), albumo(settings)};
}

std::string figureText(const std::string& html, const FigureMarker& figure) {
    size_t at = html.find(figure.marker);
    if (at == std::string::npos || at + figure.offset >= html.size())
        return {};
    std::string window = html.substr(at + figure.offset, 20);
    size_t end = window.find('<');
    return end == std::string::npos ? std::string() : window.substr(0, end);
}

} // namespace orvella
