// The demo Customers page with the keyboard alone, in headless Chromium on a desktop and a
// phone screen: page, sort, open a record, edit, fail a save, read the fields at fault from the
// alert, correct them and save. Only Tab, Enter and typing (Ctrl+A selects a field's text)
// move through the pages.
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import {
  artifacts, failedResponses, launchBrowser, sqliteQuery, startServer, stopServer,
} from './harness.mjs';

let server;
let workDir;
let base;
let browser;

before(async () => {
  browser = await launchBrowser();
  workDir = mkdtempSync(join(tmpdir(), 'kelvo-keyboard-'));
  server = await startServer(['--port', '0'], workDir);
  base = server.url;
});

after(async () => {
  await browser?.close();
  await stopServer(server);
  if (workDir) rmSync(workDir, { recursive: true, force: true });
});

// A description of the focused element: its name, or its text for a link.
const focused = (page) => page.evaluate(() => {
  const e = document.activeElement;
  return e ? `${e.tagName.toLowerCase()}:${e.getAttribute('name') ?? e.textContent.trim()}` : '';
});

// Presses Tab until the focused element matches `selector`; fails after `limit` presses.
async function tabTo(page, selector, limit = 80) {
  for (let i = 0; i < limit; ++i) {
    if (await page.evaluate((s) => document.activeElement?.matches(s) ?? false, selector)) return i;
    await page.keyboard.press('Tab');
  }
  assert.fail(`Tab never reached ${selector}`);
}

// Presses `key` and waits for the page it opens.
async function pressAndLoad(page, key) {
  await Promise.all([page.waitForNavigation(), page.keyboard.press(key)]);
  await page.waitForLoadState('load');
}

const customer = (id) => sqliteQuery(join(workDir, 'kelvo-demo.db'),
  `SELECT name || '|' || IFNULL(credit_limit, '') FROM customers WHERE id = ${id}`);

for (const [screen, viewport, id] of [['desktop', { width: 1280, height: 800 }, 0],
  ['phone', { width: 390, height: 844 }, 1]]) {
  test(`keyboard only on a ${screen} screen: page, sort, open, fail a save, fix it, save`, async () => {
    const context = await browser.newContext({ viewport, hasTouch: screen === 'phone' });
    const page = await context.newPage();
    const failed = failedResponses(page);
    page.on('dialog', (dialog) => assert.fail(`unexpected dialog: ${dialog.message()}`));
    const shot = (name) => page.screenshot({
      path: join(artifacts, `keyboard-${screen}-${name}.png`), fullPage: true });
    await page.goto(`${base}customers`);

    await tabTo(page, 'input[name="Vexmo1NEXT"]');
    await pressAndLoad(page, 'Enter');
    assert.match(await page.locator('.KLVOTableNavBarTop').first().innerText(), /11\D+20/);

    await tabTo(page, 'a.KLVOTableTH[href*="OrderByFields=2&"]');
    await pressAndLoad(page, 'Enter');
    const names = await page.locator('table.KLVOTable tr.KLVOTableTRodd td:nth-child(3), '
      + 'table.KLVOTable tr.KLVOTableTReven td:nth-child(3)').allInnerTexts();
    assert.deepEqual(names, [...names].sort(), 'sorted by name, as the database compares');

    // The row number of the row at `id` opens its record; then Edit.
    await tabTo(page, `#klv1row_${id + 1} td:first-child a`);
    await pressAndLoad(page, 'Enter');
    await tabTo(page, 'input[name="Vexmo1FormEdit"]');
    await pressAndLoad(page, 'Enter');
    const key = await page.locator('input[type="hidden"][name="Vexmo1Key_Form_id"]').inputValue();

    // Save comes before the navigation bar in the tab order.
    await page.locator('body').focus();
    const order = [];
    for (let i = 0; i < 12; ++i) {
      await page.keyboard.press('Tab');
      order.push(await focused(page));
    }
    const save = order.indexOf('input:Vexmo1FormUpdate');
    assert.ok(save >= 0, order.join(' '));
    assert.ok(order.slice(0, save).every((f) => !f.includes('NEXT') && !f.includes('LAST')),
      order.join(' '));
    await shot('edit');
    // The form grows with the page, also on a phone turned sideways: a second scrolling box
    // inside the page would trap the thumb.
    await page.setViewportSize({ width: viewport.height, height: viewport.width });
    const box = await page.locator('.KelvoGrid').evaluate((g) => g.scrollHeight - g.clientHeight);
    assert.equal(box, 0, 'the form scrolls inside its box');
    await page.setViewportSize(viewport);

    // Empty the name, make the credit limit no number, and press Enter: the form's default
    // button, Save, posts it.
    await tabTo(page, '[name="Vexmo1_Form_name"]');
    await page.keyboard.press('Control+A');
    await page.keyboard.press('Delete');
    await tabTo(page, '[name="Vexmo1_Form_credit_limit"]');
    await page.keyboard.press('Control+A');
    await page.keyboard.type('lots');
    await pressAndLoad(page, 'Enter');
    const alert = page.getByRole('alert');
    assert.equal((await alert.innerText()).replace(/\s+/g, ' ').trim(),
      'Record WAS NOT SAVED. Check these fields: Name: a value is required '
      + 'Credit limit: lots is not a number');
    assert.deepEqual(await page.locator('[aria-invalid="true"]').evaluateAll(
      (all) => all.map((e) => e.name)), ['Vexmo1_Form_name', 'Vexmo1_Form_credit_limit']);
    // The first field named has the focus; a screen reader reads the alert. The browser
    // applies autofocus at its next rendering step, which may come after the load event.
    await page.waitForFunction(() => document.activeElement?.name === 'Vexmo1_Form_name', null,
      { timeout: 5000 }).catch(async () => assert.fail(`focus is on ${await focused(page)}`));
    await shot('failed-save');

    await page.keyboard.type(`Keyboard ${screen}`);
    await tabTo(page, '[name="Vexmo1_Form_credit_limit"]');
    await page.keyboard.press('Control+A');
    await page.keyboard.type('1234.5');
    await pressAndLoad(page, 'Enter');
    assert.match(await page.locator('.KelvoEditBtnBar, .KLVOTableFormDataView').first()
      .innerText(), /\[Record saved ok\]/);
    assert.equal(await page.getByRole('alert').count(), 0);
    assert.equal(customer(key), `Keyboard ${screen}|1234.5`);
    await shot('saved');
    assert.deepEqual(failed, []);
    await context.close();
  });
}
