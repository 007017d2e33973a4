// Drives the relay's pairing page in headless chromium at a phone's size, as a person
// would after scanning the QR code: sign in, wait for approval (given here by the
// approving device's token, as the desktop's notification would), see the machine's name,
// pair it. Prints one JSON line with what it saw; exits non-zero on any failure.
//
//   node pair_page_check.mjs URL EMAIL PASSWORD APPROVER_TOKEN MACHINE_NAME SCREENSHOT_DIR
import puppeteer from "puppeteer-core";
import fs from "node:fs";
import path from "node:path";

const [qrPayload, email, password, approverToken, machineName, screenshotDir] = process.argv.slice(2);
if (!qrPayload || !approverToken) {
  console.error("usage: node pair_page_check.mjs URL EMAIL PASSWORD APPROVER_TOKEN MACHINE_NAME SCREENSHOT_DIR");
  process.exit(2);
}
const base = new URL(qrPayload).origin;
const executablePath = process.env.VESKET_CHROMIUM || ["/usr/bin/chromium", "/usr/bin/chromium-browser"].find(fs.existsSync);

async function visible(page, selector, timeout = 15000) {
  await page.waitForSelector(selector, { visible: true, timeout });
}

async function approve(fingerprint) {
  const headers = { Authorization: "Bearer " + approverToken, "Content-Type": "application/json" };
  const pending = await (await fetch(base + "/api/devices/pending", { headers })).json();
  const request = (pending.pending || []).find((entry) => entry.fingerprint === fingerprint);
  if (!request) throw new Error("no pending request with fingerprint " + fingerprint + ": " + JSON.stringify(pending));
  const reply = await fetch(base + "/api/devices/approve", {
    method: "POST", headers, body: JSON.stringify({ requestId: request.requestId })
  });
  if (reply.status !== 200) throw new Error("approve answered " + reply.status);
  return request;
}

const browser = await puppeteer.launch({
  executablePath,
  headless: true,
  args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run"],
});
let exitCode = 0;
const errors = [];
try {
  const page = await browser.newPage();
  page.on("pageerror", (error) => errors.push(String(error)));
  await page.setViewport({ width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
  await page.goto(qrPayload, { waitUntil: "networkidle0" });
  if (page.url().includes("token=")) throw new Error("the claim token stayed in the address bar");

  await visible(page, "#view-signin");
  await page.type("#email", email);
  await page.type("#password", password);
  await page.screenshot({ path: path.join(screenshotDir, "pair-page-sign-in.png") });
  await page.click("#sign-in");

  await visible(page, "#view-waiting");
  const fingerprint = (await page.$eval("#fingerprint", (node) => node.textContent)).trim();
  await page.screenshot({ path: path.join(screenshotDir, "pair-page-waiting.png") });
  const request = await approve(fingerprint);

  await visible(page, "#view-pair");
  const shownName = (await page.$eval("#machine-name", (node) => node.textContent)).trim();
  if (shownName !== machineName) throw new Error("the page names the machine '" + shownName + "'");
  const layout = await page.evaluate(() => ({
    scrollWidth: document.documentElement.scrollWidth,
    buttonWidth: document.getElementById("pair-button").getBoundingClientRect().width,
  }));
  if (layout.scrollWidth > 390) throw new Error("the page is wider than the phone: " + layout.scrollWidth);
  if (layout.buttonWidth < 300) throw new Error("the pair button is too small to tap: " + layout.buttonWidth);
  await page.screenshot({ path: path.join(screenshotDir, "pair-page-machine.png") });
  await page.click("#pair-button");

  await visible(page, "#view-done");
  const doneName = (await page.$eval("#done-name", (node) => node.textContent)).trim();
  await page.screenshot({ path: path.join(screenshotDir, "pair-page-paired.png") });
  if (errors.length) throw new Error("script errors: " + errors.join("; "));
  console.log(JSON.stringify({ fingerprint, platform: request.platform, machine: shownName, done: doneName, layout }));
} catch (error) {
  console.error(String(error && error.stack ? error.stack : error));
  exitCode = 1;
} finally {
  await browser.close();
}
process.exit(exitCode);
