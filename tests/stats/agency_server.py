#!/usr/bin/env python3
"""Eight agency web sites on 127.0.0.1 for the earnings reader's tests.

Each agency lives under /<agency>/: a login form on its start page, a form post
that leads to a welcome page (or, for the first agency, straight to its
figures), and an account page holding the figures where the reader looks for
them. Every post is appended to the posts file as a JSON line. Agencies named
with --stuck answer every login with their start page again.

usage: agency_server.py PORT_FILE POSTS_FILE [--stuck AGENCY]...
"""
import json
import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs


def padded(marker, offset, figure, close):
    return marker + " " * (offset - len(marker)) + figure + close


def para(marker, offset, figure):
    return "<p>" + padded(marker, offset, figure, "</p>")


def header_cell(header, offset, figure):
    # the figure stands in the cell after the header cell
    return "<table><tbody><tr>" + header + "<td>" + " " * (offset - len(header) - 4) + figure + "</td></tr></tbody></table>"


def link(marker, offset, figure):
    return padded(marker.replace('">', '">', 1), offset, figure, "</a>")


LOGIN = "me"
SITES = {
    "Shutterstock": {
        "start": "/", "account": None,
        "form": '<input name="email"><input name="pass" type="password">'
                '<input type="hidden" name="a"><input type="hidden" name="b"><input type="hidden" name="c">'
                '<input type="submit" value="Sign in">',
        "figures": para("Earnings this month", 48, "12.50") + para("Downloads this month", 49, "7"),
    },
    "iStockphoto": {
        "start": "/index.php", "account": "/user_view.php",
        "form": '<input name="username"><input name="password" type="password"><input type="submit" id="btnLogin">',
        "figures": para("Account Details", 31, "$88.10") + para("Downloads:", 11, "31"),
    },
    "Dreamstime": {
        "start": "/", "account": "/" + LOGIN + "_info",
        "form": '<input name="uname"><input name="pass" type="password">'
                '<input type="submit" alt="search"><input type="submit" alt="login">',
        "figures": para("Total revenue", 84, "145.00") + para("Total sales", 59, "96"),
    },
    "Fotolia": {
        "start": "/", "account": "/Member",
        "form": '<input name="login"><input name="password" type="password"><input type="submit" alt="signin">',
        "figures": header_cell("<th>Credits</th>", 29, "19") + header_cell("<th>Sold files</th>", 32, "4"),
    },
    "123RF": {
        "start": "/login.php", "account": "/myaccount.php",
        "form": '<input name="uid"><input name="password" type="password"><input type="submit" value="Login">',
        "figures": '<table><tbody><tr><td align="center" id="td_hilite"><b>3.75</b></td></tr></tbody></table>',
    },
    "LuckyOliver": {
        "start": "/login", "account": "/home",
        "form": '<input name="user[login]"><input name="user[password]" type="password">'
                '<input type="submit" value="Login">',
        "figures": link('<a href="/bank/piggy_bank" class="account_box piggy_bank_box">', 85, "1.25")
        + link('<a href="/bank/downloads" class="account_box downloads_box">', 83, "2"),
    },
    "CanStockPhoto": {
        "start": "/", "account": "/index.php",
        "form": '<input name="username"><input name="password" type="password">'
                '<a name="login">Log in</a><input type="submit" name="login">',
        "figures": '<a title="View your Sales History">6.00</a><a title="Purchase Download Credits">5</a>',
    },
    "Albumo": {
        "start": "/login", "account": "/sell-info",
        "form": '<input id="login" name="l"><input id="password" name="p" type="password">'
                '<a name="Submit">Sign in</a><input type="submit" name="Submit">',
        "figures": para("Your Earnings Balance:", 31, "0.40"),
    },
}


def page(body):
    return ("<!DOCTYPE html><html><head><title>Agency</title></head><body>" + body + "</body></html>").encode()


class Handler(BaseHTTPRequestHandler):
    stuck = set()
    posts_file = None

    def log_message(self, *args):
        pass

    def split(self):
        parts = self.path.split("?")[0].split("/", 2)
        agency = parts[1] if len(parts) > 1 else ""
        rest = "/" + (parts[2] if len(parts) > 2 else "")
        return agency, rest

    def send(self, status, body=b"", location=None):
        self.send_response(status)
        if location:
            self.send_header("Location", location)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        agency, rest = self.split()
        site = SITES.get(agency)
        if not site:
            return self.send(404, page("no such agency"))
        if rest == site["start"]:
            form = '<form method="post" action="/%s/post">%s</form>' % (agency, site["form"])
            return self.send(200, page(form))
        if rest == "/welcome":
            return self.send(200, page("<p>Welcome back</p>"))
        if rest == site["account"] or (site["account"] is None and rest == "/dashboard"):
            return self.send(200, page(site["figures"]))
        return self.send(404, page("not found"))

    def do_POST(self):
        agency, rest = self.split()
        site = SITES.get(agency)
        length = int(self.headers.get("Content-Length", 0))
        fields = {k: v[0] for k, v in parse_qs(self.rfile.read(length).decode()).items()}
        with open(Handler.posts_file, "a") as posts:
            posts.write(json.dumps({"agency": agency, "fields": fields}) + "\n")
        if not site or rest != "/post":
            return self.send(404, page("not found"))
        if agency in Handler.stuck:
            target = site["start"]
        else:
            target = "/dashboard" if site["account"] is None else "/welcome"
        return self.send(303, location="/" + agency + target)


def main():
    port_file, posts_file = sys.argv[1], sys.argv[2]
    stuck = [sys.argv[i + 1] for i, a in enumerate(sys.argv) if a == "--stuck"]
    Handler.stuck = set(stuck)
    Handler.posts_file = posts_file
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    with open(port_file + ".tmp", "w") as out:
        out.write(str(server.server_address[1]))
    import os
    os.rename(port_file + ".tmp", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
