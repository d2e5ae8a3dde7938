"""Debian's Chromium, headless, driven by its chromedriver: the one way the
page tests, the page benches and the screenshot script start a browser."""
from selenium import webdriver
from selenium.webdriver.chrome.service import Service


def headless_chromium(window="1280,900", extra=(), capabilities=None):
    """A headless Chromium of the given window size; extra arguments and
    capabilities (such as logging preferences) added to the defaults."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--window-size=" + window) + tuple(extra):
        options.add_argument(argument)
    for name, value in (capabilities or {}).items():
        options.set_capability(name, value)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
