#include "provider/WebPages.h"

#include <array>

namespace vek::provider {
namespace {

struct Page {
    std::string_view path;
    std::string_view title;
    std::string_view text;
};

constexpr std::array kPages = {
    Page{"/", "Tarvo VEK", "The provider's web site: your account, your hosts and help."},
    Page{"/getting_started.php", "Getting started",
         "Sign in once in the client, then choose the hosts it keeps updated."},
    Page{"/support/", "Support", "Questions about the client and the service go here."},
    Page{"/legal/tos.php", "Terms of service", "The terms that apply to the use of the service."},
    Page{"/domain-search.php", "Domain registration search", "Look up whether a domain is free."},
    Page{"/newUser.php", "Sign up", "Open a free account."},
    Page{"/forgotPw.php", "Password reset", "Have your password e-mailed to you."},
    Page{"/members/dns/", "Your hosts and groups", "Manage the hosts and groups of your account."},
};

std::string Html(const Page& page) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" +
           std::string(page.title) + "</title></head>\n<body><h1>" + std::string(page.title) +
           "</h1>\n<p>" + std::string(page.text) + "</p></body></html>\n";
}

} // namespace

void AddWebPages(Routes& routes) {
    for (const Page& page : kPages) {
        routes.AddPage(std::string(page.path), [html = Html(page)](const HttpRequest&) {
            return Reply{200, html, kHtml};
        });
    }
}

} // namespace vek::provider
