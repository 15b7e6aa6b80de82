#!/bin/sh
# Rebuilds mathjax-tex-svg.js from npm: TeX input, SVG output and the lite DOM
# adaptor of mathjax-full in one script that Qt's QJSEngine evaluates. Needs
# node and npm; building Tarnwick does not (the result is committed).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/package.json" "$here/entry.js" "$here/attributes.js" "$work/"
cd "$work"
npm install --no-audit --no-fund --silent
npx esbuild entry.js --bundle --format=iife --global-name=MathJaxBundle --target=es2016 --minify \
  --legal-comments=none --outfile="$here/mathjax-tex-svg.js"
cp node_modules/mathjax-full/LICENSE "$here/LICENSE"
