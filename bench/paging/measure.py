#!/usr/bin/env python3
"""Times the pages of one table served by `kelvo serve` over one keep-alive connection.

The pages are reached as a user reaches them: the forms and links come from pages fetched
before (setup, untimed), and a timed request posts a form with a navigation button or follows
a link. The cells are measured in alternation, one request each per round, so that a slower
moment of the shared machine falls on all of them. Carried counts expire: the forms are
fetched again every REFRESH seconds. Prints one line per cell: group, page, median and p90 in
milliseconds, the median of the baseline, the count the page shows, and the fastest time.
"""
import argparse
import html
import http.client
import re
import statistics
import sys
import time
import urllib.parse

REFRESH = 15.0
PREFIX = "Vexmo1"


class Client:
    def __init__(self, url):
        parts = urllib.parse.urlsplit(url)
        self.host, self.port = parts.hostname, parts.port
        self.connection = http.client.HTTPConnection(self.host, self.port, timeout=600)

    def request(self, method, path, body=None):
        headers = {"Connection": "keep-alive"}
        if body is not None:
            headers["Content-Type"] = "application/x-www-form-urlencoded"
        started = time.perf_counter()
        self.connection.request(method, path, body=body, headers=headers)
        response = self.connection.getresponse()
        text = response.read().decode("utf-8", "replace")
        elapsed = (time.perf_counter() - started) * 1000.0
        if response.status != 200:
            sys.exit(f"{method} {path}: status {response.status}")
        return text, elapsed


class Page:
    """A fetched page: its grid form's fields, its record links and its texts."""

    def __init__(self, text):
        self.text = text
        form = re.search(r'<form name="FormKelvoGrid1"[^>]*action="([^"]*)"[^>]*>(.*?)</form>',
                         text, re.S)
        if not form:
            sys.exit("a page without its grid form:\n" + text[-2000:])
        self.action = html.unescape(form.group(1))
        self.fields = []
        for name, value in re.findall(
                r'<input type="hidden" name="([^"]*)" value="([^"]*)"', form.group(2)):
            self.fields.append((name, html.unescape(value)))
        for name, options in re.findall(r'<select[^>]*name="([^"]*)">(.*?)</select>',
                                        form.group(2), re.S):
            chosen = re.search(r'<option selected value="([^"]*)"', options)
            if chosen:
                self.fields.append((name, html.unescape(chosen.group(1))))
        self.records = [html.unescape(link) for link in re.findall(
            r'<a class="KLVOTable" href="([^"]*FormDisplay=formOneRec[^"]*)"', text)]

    def first_record(self):
        shown = re.search(r"Record \(([\d,. \xa0]+)\.\.", self.text)
        return int(re.sub(r"\D", "", shown.group(1))) if shown else None

    def record_shown(self):
        # A position past the record view's bounded count reads "Record about 5,000,001".
        shown = re.search(r"Record (?:about )?([\d,. \xa0]+) of", self.text)
        return int(re.sub(r"\D", "", shown.group(1))) if shown else None

    def count_text(self):
        shown = re.search(r"Record [^<]*? of ([^<]*)<", self.text)
        return shown.group(1).strip() if shown else "?"

    def keys(self):
        return [int(key) for key in re.findall(r"[?&;]Vexmo1PK=(\d+)", " ".join(self.records))]


def without_count(fields):
    return [(name, value) for name, value in fields if name != PREFIX + "CarriedCount"]


def with_fields(path, fields):
    return path + "?" + urllib.parse.urlencode(fields)


def strip_count(link):
    parts = urllib.parse.urlsplit(link)
    query = [(n, v) for n, v in urllib.parse.parse_qsl(parts.query, keep_blank_values=True)
             if n != PREFIX + "CarriedCount"]
    return parts.path + "?" + urllib.parse.urlencode(query)


def button(fields, name):
    return urllib.parse.urlencode(fields + [(PREFIX + name + ".x", "1"), (PREFIX + name + ".y", "1")])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--url", required=True, help="the server's address")
    parser.add_argument("--path", required=True, help="the grid's page, e.g. /table/items")
    parser.add_argument("--group", required=True, help="the name printed for these cells")
    parser.add_argument("--rows", type=int, required=True, help="records of the grid's statement")
    parser.add_argument("--last-key", type=int, required=True, help="the key of the last record")
    parser.add_argument("--sort", default="2", help="the OrderByFields a header link posts")
    parser.add_argument("--carried", action="store_true",
                        help="the requests carry the count the pages hand on")
    parser.add_argument("--rounds", type=int, default=25)
    parser.add_argument("--baseline", required=True,
                        help="the grid whose page 1, count carried, is the baseline")
    args = parser.parse_args()

    client = Client(args.url)
    per_page = 20
    middle = args.rows // 2 + 1
    before = middle - per_page

    def setup():
        """The forms and links the timed requests use."""
        forms = {}
        opened, _ = client.request("GET", args.path)
        forms["first"] = Page(opened)
        jump = [(PREFIX + "CurrRecord", str(before)), (PREFIX + "CountRecords", "on"),
                (PREFIX + "maxrecords", str(per_page))]
        # One slow jump by position to the page before the middle; Next goes on from there.
        text, _ = client.request("GET", with_fields(args.path, jump))
        forms["before"] = Page(text)
        text, _ = client.request(
            "GET", with_fields(args.path, jump + [(PREFIX + "OrderByFields", args.sort)]))
        forms["sorted-before"] = Page(text)
        text, _ = client.request("POST", forms["before"].action,
                                 button(forms["before"].fields, "NEXT"))
        forms["middle"] = Page(text)
        opened, _ = client.request("GET", args.baseline)
        forms["baseline"] = Page(opened)
        return forms

    forms = setup()
    refreshed = time.monotonic()

    def fields(page):
        return page.fields if args.carried else without_count(page.fields)

    def record_link():
        link = forms["middle"].records[0]
        return link if args.carried else strip_count(link)

    # Each cell: a request, and the check of the page it answers.
    cells = {
        "page 1": (lambda: ("POST", forms["middle"].action, button(fields(forms["middle"]), "FIRST")),
                   lambda page: page.first_record() == 1),
        "middle (Next)": (lambda: ("POST", forms["before"].action, button(fields(forms["before"]), "NEXT")),
                          lambda page: page.first_record() == middle),
        "last (Last)": (lambda: ("POST", forms["first"].action, button(fields(forms["first"]), "LAST")),
                        lambda page: page.keys()[-1:] == [args.last_key]),
        "middle sorted (Next)": (lambda: ("POST", forms["sorted-before"].action,
                                          button(fields(forms["sorted-before"]), "NEXT")),
                                 lambda page: page.first_record() == middle),
        "record view by key": (lambda: ("GET", record_link(), None),
                               lambda page: page.record_shown() == middle),
    }
    # Page 1 of the baseline grid with its count carried, in the same alternation.
    cells["baseline"] = (lambda: ("POST", forms["baseline"].action,
                                  button(forms["baseline"].fields, "FIRST")),
                         lambda page: page.first_record() == 1)
    times = {name: [] for name in cells}
    notes = {}
    for round_number in range(args.rounds + 1):
        if time.monotonic() - refreshed > REFRESH:
            # Only carried counts expire: the other forms are set up once.
            if args.carried:
                forms = setup()
            else:
                forms["baseline"] = Page(client.request("GET", args.baseline)[0])
            refreshed = time.monotonic()
        for name, (make, check) in cells.items():
            method, path, body = make()
            text, elapsed = client.request(method, path, body)
            page = Page(text)
            if not check(page):
                sys.exit(f"{args.group} {name}: the page shows record {page.first_record()}, "
                         f"keys {page.keys()[:1]}..{page.keys()[-1:]}")
            if "ErrorMessage" in text or "in WriteHTMLTable" in text:
                sys.exit(f"{args.group} {name}: the page reports an error")
            notes[name] = page.count_text()
            if round_number > 0:  # the first round warms the caches
                times[name].append(elapsed)
    baseline = statistics.median(times.pop("baseline"))
    for name, samples in times.items():
        samples.sort()
        p90 = samples[min(len(samples) - 1, int(len(samples) * 0.9))]
        print(f"{args.group}\t{name}\t{statistics.median(samples):.2f}\t{p90:.2f}\t"
              f"{baseline:.2f}\t{notes[name]}\t{samples[0]:.2f}")


if __name__ == "__main__":
    main()
