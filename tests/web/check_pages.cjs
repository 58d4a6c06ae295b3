// Loads pages in headless Chromium and reports what a reader of them gets:
//
//   node check_pages.cjs axe URL...   axe-core's violations of impact serious or
//                                     critical, one line each; exit status 1
//                                     when there is any
//   node check_pages.cjs dom URL      the page's structure as the browser built
//                                     it, as one JSON object
//
// SCRIVLET_NODE_MODULES names the folder holding puppeteer-core and axe-core;
// CHROMIUM the browser (default /usr/bin/chromium).
'use strict';
const path = require('path');
const modules = process.env.SCRIVLET_NODE_MODULES || 'node_modules';
const puppeteer = require(path.join(path.resolve(modules), 'puppeteer-core'));
const axeSource = require(path.join(path.resolve(modules), 'axe-core')).source;

async function withBrowser(work) {
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
  });
  try {
    return await work(browser);
  } finally {
    await browser.close();
  }
}

async function axe(browser, urls) {
  let failures = 0;
  for (const url of urls) {
    const page = await browser.newPage();
    await page.goto(url, { waitUntil: 'load', timeout: 60000 });
    await page.addScriptTag({ content: axeSource });
    const violations = await page.evaluate(async () => {
      const result = await window.axe.run(document, { resultTypes: ['violations'] });
      return result.violations
        .filter((v) => v.impact === 'serious' || v.impact === 'critical')
        .map((v) => ({ id: v.id, impact: v.impact, nodes: v.nodes.length,
                       first: v.nodes[0] ? v.nodes[0].html.slice(0, 160) : '' }));
    });
    for (const v of violations)
      console.log(`VIOLATION ${url}: ${v.id} (${v.impact}, ${v.nodes} nodes) ${v.first}`);
    console.log(`axe ${url}: ${violations.length} serious or critical`);
    failures += violations.length;
    await page.close();
  }
  return failures === 0 ? 0 : 1;
}

async function dom(browser, url) {
  const page = await browser.newPage();
  await page.goto(url, { waitUntil: 'load', timeout: 60000 });
  const facts = await page.evaluate(() => {
    const text = (e) => e.textContent.trim();
    const noteLinks = [...document.querySelectorAll('sup a[href^="#"]')].map((a) => {
      const target = document.getElementById(a.getAttribute('href').slice(1));
      return { text: text(a), target: target ? text(target).slice(0, 80) : null };
    });
    return {
      title: document.title,
      lang: document.documentElement.lang,
      headings: [...document.querySelectorAll('main h1, main h2, main h3')].map(text),
      tables: [...document.querySelectorAll('table')].map((t) =>
        [...t.rows].map((r) => [...r.cells].map((c) => ({ tag: c.tagName.toLowerCase(),
                                                          span: c.colSpan, text: text(c) })))),
      lists: [...document.querySelectorAll('main ul, main ol')].map((l) => ({
        tag: l.tagName.toLowerCase(), start: l.start || null,
        items: [...l.children].filter((c) => c.tagName === 'LI').map(text) })),
      noteLinks,
      rightToLeft: [...document.querySelectorAll('main p')]
        .filter((p) => getComputedStyle(p).direction === 'rtl').map(text),
      horizontalScroll: document.documentElement.scrollWidth > document.documentElement.clientWidth,
    };
  });
  console.log(JSON.stringify(facts));
  return 0;
}

(async () => {
  const [mode, ...urls] = process.argv.slice(2);
  if (!['axe', 'dom'].includes(mode) || urls.length === 0) {
    console.error('usage: node check_pages.cjs axe|dom URL...');
    process.exit(2);
  }
  const status = await withBrowser((browser) => (mode === 'axe' ? axe(browser, urls) : dom(browser, urls[0])));
  process.exit(status);
})().catch((error) => {
  console.error(`check_pages: ${error && error.stack ? error.stack : error}`);
  process.exit(3);
});
