# fish completion for tintrix-fade

complete -c tintrix-fade -f

complete -c tintrix-fade -l defaults -d 'Start from the default fade'
complete -c tintrix-fade -l fade -rF -d 'Apply a fade file'
complete -c tintrix-fade -l colors -x -a '2 3 4 5 10' -d 'Number of colours'
complete -c tintrix-fade -l color -x -a '1= 2= 3= 4= 5= 6= 7= 8= 9= 10=' \
    -d 'Colour K=VALUE (decimal or #RRGGBB)'
complete -c tintrix-fade -l wavy -d 'Set characters randomly below, above or on the line'
complete -c tintrix-fade -l no-wavy -d 'No wave'
complete -c tintrix-fade -l bold -d 'Bold'
complete -c tintrix-fade -l no-bold -d 'Not bold'
complete -c tintrix-fade -l italic -d 'Italic'
complete -c tintrix-fade -l no-italic -d 'Not italic'
complete -c tintrix-fade -l underline -d 'Underline'
complete -c tintrix-fade -l no-underline -d 'No underline'
complete -c tintrix-fade -l font -x -d 'Font face'
complete -c tintrix-fade -l markup-only -d 'Only the colour markup'
complete -c tintrix-fade -l seed -x -d 'Seed the wave'
complete -c tintrix-fade -l format -x -d 'Output format' -a '
  classic\t"The markup the window writes"
  html\t"Modern HTML spans"
  bbcode\t"Forum colour tags"
  ansi\t"Terminal colours"
  minecraft\t"Minecraft colour codes"
  minimessage\t"MiniMessage tags"'
complete -c tintrix-fade -l merge -d 'One tag per run of one colour'
complete -c tintrix-fade -l skip-blanks -d 'No tag of their own for blanks'
complete -c tintrix-fade -l max-length -x -d 'Longest document, in characters'
complete -c tintrix-fade -l stats -d 'Length and tag count on standard error'
complete -c tintrix-fade -l blend -x -d 'How colours blend' -a '
  rgb\t"Red, green and blue in a straight line"
  oklab\t"Perceptual OKLab"
  oklch\t"Perceptual lightness, chroma and hue"
  hsv\t"Hue, saturation and value"'
complete -c tintrix-fade -s o -l output -rF -d 'Write FILE instead of standard output'
complete -c tintrix-fade -l help -d 'Show the help'
complete -c tintrix-fade -l version -d 'Show the version'
