#pragma once

#include "stats/Browser.h"

#include <optional>
#include <string>
#include <vector>

namespace orvella {

class SettingsSnapshot;

// How the element that submits an agency's login form is found: a fixed
// element, or the first "input" element whose attribute has a given value.
struct SubmitLocator {
    std::optional<ElementRef> element;
    std::string inputAttribute;
    std::string inputValue;
};

// Where a figure stands on the account page: the text 20 characters long that
// starts `offset` characters after the first character of `marker`.
struct FigureMarker {
    std::string marker;
    size_t offset = 0;
};

// Everything the reader knows of one agency's web site.
struct AgencySite {
    std::string name;                          // as the stock is named in the catalogue
    std::string startAddress;                  // the login form
    std::vector<std::string> accountAddresses; // empty: any page other than the start page
    std::string accountNavigation;             // where the reader goes to reach the account page
    ElementRef loginField;
    ElementRef passwordField;
    SubmitLocator submit;
    FigureMarker balance;
    std::optional<FigureMarker> sales; // none: the sales text is set empty
    bool guardIsSales = false;         // the marker whose absence leaves the figures alone
    bool loginFallback = false;        // a failed login goes to the account page instead
    bool ignoreLoginFailure = false;
    bool readGuard = false; // a failed read still finishes the agency
    bool loginOncePerRun = false;
    std::string balancePrefix;

    // Some account pages are named after the user's web login.
    static constexpr const char* LoginPlaceholder = "{login}";
    void personalise(const std::string& webLogin);

    bool isStartPage(const std::string& address) const { return address == startAddress; }
    bool isAccountPage(const std::string& address) const;
};

// The settings section whose keys, the agencies' names, give a base address
// ("http://127.0.0.1:8080") that replaces the agency's own site.
inline constexpr const char* AgencySettingsSection = "Agencies";
// In that section: how many seconds an agency may take before its browser is
// discarded.
inline constexpr const char* AgencyTimeoutKey = "Timeout";

// The eight agencies in the order the reader starts them, with their own
// sites unless the settings name another base address.
std::vector<AgencySite> agencySites(const SettingsSnapshot* settings);

// The figure after `marker`: empty when the marker or a "<" within the
// 20 characters is missing.
std::string figureText(const std::string& html, const FigureMarker& figure);

} // namespace orvella
