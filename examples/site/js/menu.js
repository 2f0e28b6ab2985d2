// Quorvan sample site: navigation menu.
// Marks the link of the current page.

var Menu = (function () {
    // The file name of a link or of the current page.
    function fileNameOf(path) {
        var slash = path.lastIndexOf("/");
        return slash >= 0 ? path.substring(slash + 1) : path;
    }

    function markCurrent(links, currentPath) {
        var currentName = fileNameOf(currentPath) || "index.html";
        var marked = 0;
        for (var position = 0; position < links.length; position++) {
            var linkName = fileNameOf(links[position].getAttribute("href"));
            if (linkName === currentName) {
                links[position].className = "current";
                marked++;
            }
        }
        return marked;
    }

    return {
        fileNameOf: fileNameOf,
        markCurrent: markCurrent
    };
})();

if (typeof document !== "undefined") {
    var navigation = document.getElementById("nav");
    if (navigation) {
        Menu.markCurrent(navigation.getElementsByTagName("a"), window.location.pathname);
    }
}
