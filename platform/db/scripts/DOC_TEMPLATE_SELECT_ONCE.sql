-- One template's HTML and script, to build a document from.
select t.c_html, t.c_script, t.c_name, t.id, t.c_type
  from sys.t_doc_template t
 where t.id = :id
