// The sites the browser test renders: the project's own example site, the
// probe pages, and documentation sites from Debian packages made by
// different generators, each pinned to the package version its sample of
// pages was chosen from. `pages` lists the sampled pages (sorted); a site
// without a list is small and rendered whole.
'use strict';

const path = require('path');

const sourceRoot = path.resolve(__dirname, '..', '..');

module.exports = [
  { name: 'examples', folder: path.join(sourceRoot, 'examples', 'site') },
  { name: 'probes', folder: path.join(__dirname, 'probes') },
  {
    // libxml2's own page generator (XSLT), with images and code.
    name: 'libxml2',
    package: 'libxml2-doc',
    version: '2.9.14+dfsg-1.3~deb12u6',
    folder: '/usr/share/doc/libxml2/html',
    pages: [
      'FAQ.html', 'XMLinfo.html', 'architecture.html', 'catalog.html', 'downloads.html', 'encoding.html',
      'example.html', 'html/libxml-tree.html', 'index.html', 'news.html', 'tree.html', 'tutorial/index.html',
      'xmlio.html',
    ],
  },
  {
    // Sphinx (the Pallets theme).
    name: 'jinja2',
    package: 'python-jinja2-doc',
    version: '3.1.2-1+deb12u3',
    folder: '/usr/share/doc/python-jinja2-doc/html',
    pages: [
      'api.html', 'changes.html', 'extensions.html', 'faq.html', 'genindex.html', 'index.html',
      'integration.html', 'nativetypes.html', 'py-modindex.html', 'sandbox.html', 'switching.html',
      'templates.html', 'tricks.html',
    ],
  },
  {
    // Doxygen: class pages, member tables, highlighted sources.
    name: 'jsoncpp',
    package: 'libjsoncpp-doc',
    version: '1.9.5-4',
    folder: '/usr/share/doc/libjsoncpp-doc',
    pages: [
      'annotated.html', 'class_json_1_1_value-members.html', 'class_json_1_1_value.html', 'classes.html',
      'deprecated.html', 'files.html', 'functions_a.html', 'hierarchy.html', 'index.html',
      'json__reader_8cpp_source.html', 'namespace_json.html', 'roadmap.html', 'value_8h_source.html',
    ],
  },
  {
    // gtk-doc: API references with navigation images.
    name: 'cairo',
    package: 'libcairo2-doc',
    version: '1.16.0-7',
    folder: '/usr/share/gtk-doc/html/cairo',
    pages: [
      'bindings-fonts.html', 'bindings-memory.html', 'cairo-Image-Surfaces.html', 'cairo-PNG-Support.html',
      'cairo-Paths.html', 'cairo-Regions.html', 'cairo-Types.html', 'cairo-cairo-pattern-t.html',
      'cairo-cairo-t.html', 'index-all.html', 'index.html', 'language-bindings.html',
    ],
  },
  {
    // DocBook XSL: guides with tables, program listings, one whole book.
    name: 'linux-pam',
    package: 'libpam-doc',
    version: '1.5.2-6+deb12u3',
    folder: '/usr/share/doc/libpam-doc/html',
    pages: [
      'Linux-PAM_MWG.html', 'adg-example.html', 'adg-interface-by-app-expected.html',
      'adg-libpam-functions.html', 'index.html', 'mwg-expected-by-module-item.html', 'mwg-see-options.html',
      'sag-configuration-file.html', 'sag-pam_access.html', 'sag-pam_limits.html', 'sag-pam_unix.html',
      'sag-text-conventions.html',
    ],
  },
];
