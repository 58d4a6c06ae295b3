// The document page's built-in stylesheet: a readable line length, space
// between paragraphs, bordered tables, notes in smaller type, light and
// dark colours as the reader's system prefers them, and long words and
// lines wrapped rather than scrolled.
#pragma once

namespace scrivlet {

constexpr const char* kPageStyle =
    ":root{color-scheme:light dark;--text:#1d1d1f;--page:#fdfdfb;--muted:#5b5b60;"
    "--rule:#c9c9cf;--link:#0a58ca;--shade:#f1f1ee}"
    "@media (prefers-color-scheme:dark){:root{--text:#e4e4e7;--page:#17171a;--muted:#a1a1aa;"
    "--rule:#4a4a52;--link:#8ab4f8;--shade:#232328}}"
    "html{background:var(--page);color:var(--text)}"
    "body{max-width:42em;margin:0 auto;padding:1.5em 1.25em;font-family:system-ui,sans-serif;"
    "line-height:1.55;overflow-wrap:anywhere}"
    "p,ul,ol,table,pre,blockquote,dl{margin:0 0 .9em}"
    "h1,h2,h3,h4,h5,h6{line-height:1.25;margin:1.4em 0 .5em}"
    "a{color:var(--link)}"
    "table{border-collapse:collapse;max-width:100%}"
    "th,td{border:1px solid var(--rule);padding:.3em .5em;vertical-align:top;text-align:left}"
    "th{background:var(--shade)}"
    "td>:last-child,th>:last-child,li>:last-child{margin-bottom:0}"
    "pre{white-space:pre-wrap;background:var(--shade);padding:.6em .8em}"
    "code,pre{font-family:ui-monospace,monospace;font-size:.95em}"
    "blockquote{margin-left:0;padding-left:1em;border-left:3px solid var(--rule)}"
    "hr{border:0;border-top:1px dashed var(--rule);margin:1.8em 0}"
    ".summary{color:var(--muted);font-size:.9em}"
    ".notes,.comments,.document-header,.document-footer{font-size:.875em}"
    ".notes,.comments,.macros{border-top:1px solid var(--rule);margin-top:2em}"
    ".document-header,.document-footer{color:var(--muted)}"
    "sup.ref a,a.back{text-decoration:none}";

} // namespace scrivlet
