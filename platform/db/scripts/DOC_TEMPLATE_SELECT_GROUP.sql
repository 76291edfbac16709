-- The templates of one kind in the order the document window lists them;
-- the third column is the name the list shows.
select t.id, t.c_type, t.c_name, t.n_order, t.d_changed
  from sys.t_doc_template t
 where t.c_type = :c_type
   and not t.b_is_del
 order by t.n_order, t.c_name, t.id
